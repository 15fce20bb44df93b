#pragma once
#include <string>

namespace korva::profile {

/// The program's four version numbers, compiled in from the project version.
struct Version {
    int major = 0;
    int minor = 0;
    int build = 0;
    int revision = 0;
};

Version ProgramVersion();

/// "KorvaTool - Ver a.b.c.d": the version title, also the log's first line
/// after "ERROR LOG : ".
std::string VersionTitle(const Version& version = ProgramVersion());

/// The connection dialog's window title: the version title followed by " E".
std::string ConnectWindowTitle(const Version& version = ProgramVersion());

/// The first line of the error log.
std::string ErrorLogFirstLine(const Version& version = ProgramVersion());

}  // namespace korva::profile

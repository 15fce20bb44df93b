#include "profile/Version.h"

#include <cstdio>

#include "KorvaVersion.h"
#include "base/Messages.h"

namespace korva::profile {

Version ProgramVersion() {
    return {KORVA_VERSION_MAJOR, KORVA_VERSION_MINOR, KORVA_VERSION_BUILD, KORVA_VERSION_REVISION};
}

std::string VersionTitle(const Version& v) {
    char text[96];
    std::snprintf(text, sizeof text, base::Title(base::kTitleVersion), v.major, v.minor, v.build, v.revision);
    return text;
}

std::string ConnectWindowTitle(const Version& v) { return VersionTitle(v) + " E"; }

std::string ErrorLogFirstLine(const Version& v) { return "ERROR LOG : " + VersionTitle(v); }

}  // namespace korva::profile

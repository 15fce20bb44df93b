// korva version: the program's version (also `korva --version`).
#include <cstdio>
#include <string>

#include "profile/Version.h"
#include "cli/Command.h"
#include "cli/JsonReport.h"
#include "cli/Output.h"

namespace korva::cli {
namespace {

int RunVersion(const ParsedOptions& options) {
    if (!options.Operands().empty()) return UsageError("unexpected argument " + options.Operands()[0]);
    const profile::Version v = profile::ProgramVersion();
    const std::string version = std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
                                std::to_string(v.build) + "." + std::to_string(v.revision);
    if (Mode().json)
        JsonReport(Outcome::Done).Set("version", version).Print();
    else
        std::printf("korva %s\n", version.c_str());
    return kExitOk;
}

const CommandRegistration kVersion{{
    {"version"},
    "print the program version",
    "",
    "Prints the program's version: korva a.b.c.d.",
    {},
    RunVersion,
}};

}  // namespace
}  // namespace korva::cli

// korva version: the program's version (also `korva --version`).
#include <cstdio>
#include <string>

#include "cli/Command.h"
#include "cli/JsonReport.h"
#include "cli/Output.h"

namespace korva::cli {
namespace {

int RunVersion(const ParsedOptions& options) {
    if (!options.Operands().empty()) return UsageError("unexpected argument " + options.Operands()[0]);
    const std::string version = std::to_string(KORVA_VERSION_MAJOR) + "." +
                                std::to_string(KORVA_VERSION_MINOR) + "." +
                                std::to_string(KORVA_VERSION_BUILD) + "." +
                                std::to_string(KORVA_VERSION_REVISION);
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

#include <cstdio>

#include "cli/Command.h"

namespace korva::cli {
namespace {

const CommandRegistration kVersion{{
    {"version"},
    "print the program version",
    [](const std::vector<std::string>& args) {
        if (!args.empty() && args[0] == "--help") {
            std::printf("usage: korva version\n");
            return static_cast<int>(kExitOk);
        }
        std::printf("korva %d.%d.%d.%d\n", KORVA_VERSION_MAJOR, KORVA_VERSION_MINOR,
                    KORVA_VERSION_BUILD, KORVA_VERSION_REVISION);
        return static_cast<int>(kExitOk);
    },
}};

}  // namespace
}  // namespace korva::cli

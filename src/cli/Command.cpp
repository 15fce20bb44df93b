#include "cli/Command.h"

namespace korva::cli {

// Filled by each command's static registration before main runs.
std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

}  // namespace korva::cli

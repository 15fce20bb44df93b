#pragma once
#include <functional>
#include <string>
#include <vector>

#include "cli/ExitCode.h"
#include "cli/Options.h"

namespace korva::cli {

/// One subcommand, e.g. {"logo", "convert"}. The dispatcher parses its
/// options (and the ones every command takes: -h, -q, -v, -j), prints its
/// help, and hands `run` what was parsed; `run` returns an exit code.
struct Command {
    std::vector<std::string> words;
    std::string summary;                    ///< one line, for the command lists
    std::string synopsis;                   ///< what follows "usage: korva <words> "
    std::string description;                ///< lines under the usage line
    std::vector<OptionSpec> options;        ///< the command's own options
    std::function<int(const ParsedOptions&)> run;
    std::string footer = {};                ///< more help after the options (a value list)
};

/// Commands register themselves from their own file with a static
/// `CommandRegistration`, so adding a command never touches the dispatcher.
std::vector<Command>& Commands();

struct CommandRegistration {
    explicit CommandRegistration(Command command) { Commands().push_back(std::move(command)); }
};

/// Reports a usage error in two lines (what is wrong, where help is) and
/// returns kExitUsage.
int UsageError(const std::string& why);

}  // namespace korva::cli

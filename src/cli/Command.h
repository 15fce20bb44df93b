#pragma once
#include <functional>
#include <string>
#include <vector>

namespace korva::cli {

/// Exit codes of every `korva` command.
enum ExitCode : int {
    kExitOk = 0,
    kExitPrinter = 1,   ///< printer or port failure
    kExitUsage = 2,     ///< bad command line
    kExitBadInput = 3,  ///< bad input file
};

/// One subcommand, e.g. {"logo", "convert"}; `run` gets the arguments after the
/// command words and returns an exit code.
struct Command {
    std::vector<std::string> words;
    std::string summary;
    std::function<int(const std::vector<std::string>& args)> run;
};

/// Commands register themselves from their own file with a static
/// `CommandRegistration`, so adding a command never touches the dispatcher.
std::vector<Command>& Commands();

struct CommandRegistration {
    explicit CommandRegistration(Command command) { Commands().push_back(std::move(command)); }
};

}  // namespace korva::cli

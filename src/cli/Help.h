#pragma once
// The help texts of `korva`, built from the commands' own option lists.
#include <cstdio>
#include <string>

#include "cli/Command.h"

namespace korva::cli {

/// The options every command takes.
const std::vector<OptionSpec>& CommonOptions();

/// "korva logo upload"
std::string CommandName(const Command& command);

/// The full --help text of one command.
std::string CommandHelp(const Command& command);

/// The commands whose first word is `group` ("" for all), one per line.
std::string CommandList(const std::string& group);

/// The program's help: usage, the commands, where more help is.
std::string ProgramHelp();

}  // namespace korva::cli

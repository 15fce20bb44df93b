#pragma once
// What the `korva setup` commands share: their options, the profile lists,
// and the settings printed as text or JSON.
#include <optional>
#include <string>
#include <vector>

#include "cli/Options.h"
#include "port/Connection.h"
#include "usersetup/SetupLists.h"
#include "usersetup/UserSettings.h"

namespace korva::cli {

struct SetupOptions {
    port::ConnectionSettings connection;
    int timeoutMs = 5000;  ///< how long a read waits for every answer
};

/// The connection options and --timeout MS; nullopt after a usage error.
std::optional<SetupOptions> ParseSetupOptions(const ParsedOptions& options);

/// The connection options and --timeout of the setup commands.
std::vector<OptionSpec> SetupOptionSpecs(std::vector<OptionSpec> own);

/// The receive-buffer and code-page lists, from the program's profile.
usersetup::SetupLists ProgramSetupLists();

/// "name=value" lines, or under --json {"outcome":"done","settings":{...}}.
void PrintSettings(const usersetup::UserSettings& settings, const usersetup::SetupLists& lists);

}  // namespace korva::cli

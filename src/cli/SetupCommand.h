#pragma once
// What the `korva setup` commands share: their options, the profile lists,
// and the settings printed as text or JSON.
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <optional>
#include <string>
#include <vector>

#include "cli/Options.h"
#include "port/Connection.h"
#include "usersetup/SetupLists.h"
#include "usersetup/UserSettings.h"

namespace korva::usersetup {
class SetupSession;
}

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

/// Records why the session failed: what its connection's last error says,
/// else no answer once `connected` (a printer that stays silent).
void SetSessionReason(const usersetup::SetupSession& session, const port::ConnectionSettings& connection,
                      bool connected);

/// The settings `after` changes from `before`, as (name, before, after) in
/// the printer's order.
struct SettingChange {
    std::string name, before, after;
};
std::vector<SettingChange> ChangedSettings(const usersetup::UserSettings& before,
                                           const usersetup::UserSettings& after,
                                           const usersetup::SetupLists& lists);

/// One setting's value as `--json` prints it: numbers (the setup code too)
/// as numbers, words as text.
QJsonValue SettingValueJson(const std::string& name, const std::string& value);

/// The settings as `--json` prints them: numbers as numbers.
QJsonObject SettingsJson(const usersetup::UserSettings& settings, const usersetup::SetupLists& lists);

/// "name=value" lines on stdout (nothing under --json: the result carries them).
void PrintSettingLines(const usersetup::UserSettings& settings, const usersetup::SetupLists& lists);

/// The names of the settings the printer on a port of `kind` takes but
/// cannot report, as the results list them ("write_only").
QJsonArray WriteOnlyJson(port::PortKind kind);

}  // namespace korva::cli

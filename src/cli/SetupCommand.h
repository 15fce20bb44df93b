#pragma once
// What the `korva setup` commands share: their options, the profile lists,
// and the settings printed as text or JSON.
#include <string>
#include <vector>

#include "port/Connection.h"
#include "usersetup/SetupLists.h"
#include "usersetup/UserSettings.h"

namespace korva::cli {

struct SetupOptions {
    port::ConnectionSettings connection;
    bool json = false;
    int timeoutMs = 5000;           ///< how long a read waits for every answer
    std::vector<std::string> rest;  ///< NAME=VALUE words and the command's own flags
};

/// Parses the connection options, --json and --timeout MS. Returns -1 to go
/// on, or the exit code (help printed, or a usage error reported).
int ParseSetupOptions(const std::vector<std::string>& args, const char* command, const char* usage,
                      SetupOptions& options);

/// Reports a usage error of `korva setup <command>`; returns kExitUsage.
int SetupUsageError(const char* command, const char* usage, const std::string& why);

/// The receive-buffer and code-page lists, from the program's profile.
usersetup::SetupLists ProgramSetupLists();

/// "name=value" lines, or one JSON object {"settings":{...}} when `json`.
void PrintSettings(const usersetup::UserSettings& settings, const usersetup::SetupLists& lists,
                   bool json);

}  // namespace korva::cli

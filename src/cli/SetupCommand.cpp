#include "cli/SetupCommand.h"

#include <cstdio>

#include "app/AppProfile.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/LogoCommandSupport.h"
#include "usersetup/SettingNames.h"
#include "usersetup/UserProfile.h"

namespace korva::cli {

namespace {
std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) continue;
        out += c;
    }
    return out + "\"";
}
}  // namespace

int SetupUsageError(const char* command, const char* usage, const std::string& why) {
    std::fprintf(stderr, "korva setup %s: %s\n%s", command, why.c_str(), usage);
    return kExitUsage;
}

int ParseSetupOptions(const std::vector<std::string>& args, const char* command, const char* usage,
                      SetupOptions& options) {
    const port::ConnectionArgs conn = ParseConnectionOptions(args, false);
    for (const std::string& arg : conn.rest) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            std::fputs(kConnectionOptionsHelp, stdout);
            return kExitOk;
        }
    }
    if (!conn.error.empty()) return SetupUsageError(command, usage, conn.error);
    if (!conn.portGiven) return SetupUsageError(command, usage, "--port is required");
    if (conn.settings.deviceType == 2)
        return SetupUsageError(command, usage, "the KORVA10 models have no user setup");
    options.connection = conn.settings;
    for (size_t i = 0; i < conn.rest.size(); ++i) {
        std::string value;
        bool missing = false;
        if (conn.rest[i] == "--json") {
            options.json = true;
        } else if (TakeValue(conn.rest, i, "--timeout", value, missing)) {
            if (missing || !ParseNumber(value, 100, 600000, options.timeoutMs))
                return SetupUsageError(command, usage, "--timeout takes milliseconds, 100..600000");
        } else {
            options.rest.push_back(conn.rest[i]);
        }
    }
    return -1;
}

usersetup::SetupLists ProgramSetupLists() { return usersetup::LoadSetupLists(app::AppProfile()); }

void PrintSettings(const usersetup::UserSettings& settings, const usersetup::SetupLists& lists,
                   bool json) {
    const auto described = usersetup::DescribeSettings(settings, lists);
    if (!json) {
        for (const auto& [name, value] : described)
            std::printf("%s=%s\n", name.c_str(), value.c_str());
        return;
    }
    std::string out = "{\"settings\":{";
    for (size_t i = 0; i < described.size(); ++i)
        out +=
            (i ? "," : "") + JsonString(described[i].first) + ":" + JsonString(described[i].second);
    std::printf("%s}}\n", out.c_str());
}

}  // namespace korva::cli

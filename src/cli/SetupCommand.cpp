#include "cli/SetupCommand.h"

#include <cstdio>

#include "app/AppProfile.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/JsonReport.h"
#include "cli/Output.h"
#include "usersetup/SettingNames.h"
#include "usersetup/UserProfile.h"

namespace korva::cli {

std::vector<OptionSpec> SetupOptionSpecs(std::vector<OptionSpec> own) {
    own.push_back(TimeoutOption("how long to wait for every answer, default 5000"));
    return WithConnectionOptions(std::move(own));
}

std::optional<SetupOptions> ParseSetupOptions(const ParsedOptions& options) {
    const std::optional<port::ConnectionSettings> connection = ConnectionFromOptions(options, true);
    if (!connection) return std::nullopt;
    if (connection->deviceType == 2) {
        UsageError("the KORVA10 models have no user setup");
        return std::nullopt;
    }
    const std::optional<int> timeout = TimeoutFromOptions(options, 5000, 100, 600000);
    if (!timeout) return std::nullopt;
    return SetupOptions{*connection, *timeout};
}

usersetup::SetupLists ProgramSetupLists() { return usersetup::LoadSetupLists(app::AppProfile()); }

void PrintSettings(const usersetup::UserSettings& settings, const usersetup::SetupLists& lists) {
    const auto described = usersetup::DescribeSettings(settings, lists);
    if (!Mode().json) {
        for (const auto& [name, value] : described)
            std::printf("%s=%s\n", name.c_str(), value.c_str());
        return;
    }
    QJsonObject object;
    for (const auto& [name, value] : described)
        object[QString::fromStdString(name)] = QString::fromStdString(value);
    JsonReport(Outcome::Done).Set("settings", object).Print();
}

}  // namespace korva::cli

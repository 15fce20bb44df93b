#include "cli/SetupCommand.h"

#include <cstdio>
#include <set>

#include "profile/IniProfile.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/JsonReport.h"
#include "cli/Output.h"
#include "cli/RunReason.h"
#include "port/DeviceType.h"
#include "usersetup/ReadBackAfterWrite.h"
#include "usersetup/RequestLists.h"
#include "usersetup/SetupCommands.h"
#include "usersetup/SetupSession.h"
#include "usersetup/SettingNames.h"
#include "usersetup/UserProfile.h"

namespace korva::cli {

std::vector<OptionSpec> SetupOptionSpecs(std::vector<OptionSpec> own) {
    own.push_back(TimeoutOption("how long to wait for every answer, default " +
                                std::to_string(usersetup::kAnswerWaitMs)));
    return WithConnectionOptions(std::move(own));
}

std::optional<SetupOptions> ParseSetupOptions(const ParsedOptions& options) {
    const std::optional<port::ConnectionSettings> connection = ConnectionFromOptions(options, true);
    if (!connection) return std::nullopt;
    if (connection->deviceType == port::kDeviceTypeKorva10) {
        UsageError("the KORVA10 models have no user setup");
        return std::nullopt;
    }
    const std::optional<int> timeout = TimeoutFromOptions(options, usersetup::kAnswerWaitMs, 100, 600000);
    if (!timeout) return std::nullopt;
    return SetupOptions{*connection, *timeout};
}

namespace {
/// The program's profile, read but never written: the first fill of the
/// lists is the dialog's to save, not a command line's.
class ReadOnlyProfile final : public base::Profile {
  public:
    explicit ReadOnlyProfile(const base::Profile& inner) : m_Inner(inner) {}
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback) const override {
        return m_Inner.GetString(section, key, fallback);
    }
    bool WriteString(const std::string&, const std::string&, const std::string&) override {
        return true;
    }
    bool DeleteKey(const std::string&, const std::string&) override { return true; }

  private:
    const base::Profile& m_Inner;
};
}  // namespace

usersetup::SetupLists ProgramSetupLists() {
    // The dialog's lists: a profile may carry its own code pages and buffer sizes.
    const profile::IniProfile profile(profile::DefaultProfilePath("KorvaTool"));
    ReadOnlyProfile readOnly(profile);
    return usersetup::LoadSetupLists(readOnly);
}

void SetSessionReason(const usersetup::SetupSession& session, const port::ConnectionSettings& connection,
                      bool connected) {
    const bool ethernet = session.Kind() == port::PortKind::Ethernet;
    const std::string name = ethernet ? connection.ipAddress + ":" + std::to_string(connection.tcpPort)
                                      : connection.portName;
    base::Reason reason = session.FailureReason(connected);
    if (reason == base::Reason::None) reason = connected ? base::Reason::NoAnswer : base::Reason::Failed;
    SetReason(reason, Subject::Port, name);
}

std::vector<SettingChange> ChangedSettings(const usersetup::UserSettings& before,
                                           const usersetup::UserSettings& after,
                                           const usersetup::SetupLists& lists) {
    const auto held = usersetup::DescribeSettings(before, lists);
    std::vector<SettingChange> changes;
    for (const auto& [name, value] : usersetup::DescribeSettings(after, lists)) {
        std::string old;
        for (const auto& [heldName, heldValue] : held)
            if (heldName == name) old = heldValue;
        if (old != value) changes.push_back({name, old, value});
    }
    return changes;
}

QJsonValue SettingValueJson(const std::string& name, const std::string& value) {
    // Settings that are always a number go out as numbers, the setup code as
    // the number its hexadecimal text stands for; the others keep their words
    // ("disable", "unknown") as `setup write` takes them.
    static const std::set<std::string> kNumbers = {"paper-width", "columns",  "bell-times",
                                                   "code-page",   "nv-graphic", "nv-user",
                                                   "speed",       "margin",   "stop-bits",
                                                   "receive-buffer"};
    if (name == "setup-code") {
        const std::optional<uint32_t> code = usersetup::ParseSetupCode(value);
        if (code && !value.empty()) return static_cast<qint64>(*code);
        return QString::fromStdString(value);
    }
    bool isNumber = false;
    const int number = QString::fromStdString(value).toInt(&isNumber);
    if (kNumbers.count(name) && isNumber) return number;
    return QString::fromStdString(value);
}

QJsonObject SettingsJson(const usersetup::UserSettings& settings, const usersetup::SetupLists& lists) {
    QJsonObject object;
    for (const auto& [name, value] : usersetup::DescribeSettings(settings, lists))
        object[QString::fromStdString(name)] = SettingValueJson(name, value);
    return object;
}

void PrintSettingLines(const usersetup::UserSettings& settings, const usersetup::SetupLists& lists) {
    if (Mode().json) return;
    for (const auto& [name, value] : usersetup::DescribeSettings(settings, lists))
        std::printf("%s=%s\n", name.c_str(), value.c_str());
}

QJsonArray WriteOnlyJson(port::PortKind kind) {
    QJsonArray names;
    for (const std::string& name : usersetup::WriteOnlySettings(usersetup::RequestsFor(kind)))
        names.append(QString::fromStdString(name));
    return names;
}

}  // namespace korva::cli

// korva status: is the printer there? Asks for its model ID (GS I 1), names
// the series the answer stands for and, where the printer keeps user
// settings, reads them too. The pre-flight check of a fleet run: exit 0 only
// when the printer answered.
#include <QJsonArray>
#include <QJsonObject>
#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "base/StepEngine.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/DeviceRootsEnv.h"
#include "cli/JsonReport.h"
#include "cli/LogoCommandSupport.h"
#include "cli/Output.h"
#include "cli/RunReason.h"
#include "cli/SetupCommand.h"
#include "cli/Signals.h"
#include "cli/NetCommandOptions.h"
#include "cli/NetLookup.h"
#include "cli/NumberText.h"
#include "cli/TargetLock.h"
#include "netcfg/NetText.h"
#include "logo/NvDefinition.h"
#include "port/ModelIdQuery.h"
#include "printer/Series.h"
#include "usersetup/SetupSession.h"
#include "usersetup/SettingNames.h"

namespace korva::cli {
namespace {

/// "14 00 00 0F": a status block as the printer sent it.
QString BlockText(const std::array<uint8_t, 4>& block) {
    return QByteArray(reinterpret_cast<const char*>(block.data()), 4).toHex(' ').toUpper();
}

QJsonValue StatusBlockJson(const std::optional<std::array<uint8_t, 4>>& block) {
    return block ? QJsonValue(BlockText(*block)) : QJsonValue();
}

/// Sends GS I 1 and waits up to `timeoutMs` for the one byte of answer;
/// -1 when none came (the reason recorded). `lastStatus` gets the last
/// automatic status block that came meanwhile, if any.
int AskModelId(const port::ConnectionSettings& settings, int timeoutMs, const std::string& name,
               std::optional<std::array<uint8_t, 4>>& lastStatus) {
    base::CErrorLog& log = base::ErrorLog();
    LogoConnection link(settings, "", log);
    port::ByteStream& stream = link.Stream();
    if (!stream.Open()) {
        SetStreamReason(stream, name);
        Error("cannot open " + name);
        return -1;
    }
    stream.Purge();
    // Only the answer to this request counts: a stray byte or a status
    // block on the line is not a model ID.
    port::ModelIdQuery query(stream, link.Clock());
    if (!query.Begin(timeoutMs)) {
        SetStreamReason(stream, name);
        Error("cannot write to " + name);
        stream.Close();
        return -1;
    }
    base::RunSteps(query, link.Clock());
    if (!query.Readable()) SetStreamReason(stream, name);
    const std::optional<uint8_t> answer = query.Answer();
    lastStatus = stream.Dialogue().LastStatus();
    stream.Close();
    if (!answer) {
        SetReason(base::Reason::NoAnswer, Subject::Port, name);
        Error("the printer on " + name + " did not answer its ID request");
        return -1;
    }
    return *answer;
}

int RunStatus(const ParsedOptions& options) {
    const std::optional<port::ConnectionSettings> connection = ConnectionFromOptions(options, true);
    if (!connection) return kExitUsage;
    if (!options.Operands().empty()) return UsageError("unexpected argument " + options.Operands()[0]);
    const std::optional<int> timeout = TimeoutFromOptions(options, 1000, 1, 600000);
    if (!timeout) return kExitUsage;
    const port::PortKind kind = ClassifyConnectionPort(*connection).kind;
    if (kind == port::PortKind::File || kind == port::PortKind::OutputFile)
        return UsageError("a file cannot answer; give a printer port");
    if (kind == port::PortKind::Parallel)
        return UsageError("a parallel printer cannot answer korva status; it has no reply path here");
    const bool ethernet = kind == port::PortKind::Ethernet;
    const std::string name =
        ethernet ? connection->ipAddress + ":" + std::to_string(connection->tcpPort) : connection->portName;
    if (const int code = LockTarget(*connection, options); code >= 0) return code;
    // Asking changes nothing in the printer: a signal ends it at once.
    StopScope stop(StopMode::AtOnce, "interrupted; the printer is unchanged");
    SetCancelKeys({{"port", QString::fromStdString(name)}, {"answered", false}});
    const QJsonValue model = options.Has("model") ? QJsonValue(QString::fromStdString(options.Get("model"))) : QJsonValue();
    StderrMessages messages;
    std::optional<std::array<uint8_t, 4>> lastStatus;
    const int id = AskModelId(*connection, *timeout, name, lastStatus);
    if (id < 0) {
        JsonReport(kExitPrinter)
            .Set("port", name)
            .Set("answered", false)
            .Set("model", model)
            .Set("status_block", StatusBlockJson(lastStatus))
            .Print();
        return kExitPrinter;
    }
    const printer::Series idSeries = printer::SeriesOfModelId(id);
    const std::string series(printer::SeriesName(idSeries));
    char idText[16];
    std::snprintf(idText, sizeof idText, "%02X", id);
    QJsonObject settingsJson;
    QJsonArray unknownNames;
    bool settingsRead = false;
    if (idSeries != printer::Series::None && idSeries != printer::Series::Korva10 &&
        !options.Has("no-settings")) {
        // The settings belong to the series that answered, whatever --model said.
        port::ConnectionSettings setup = *connection;
        setup.deviceType = static_cast<int>(idSeries);
        usersetup::SetupSession session(setup, base::ErrorLog(), DeviceRootsFromEnvironment());
        const usersetup::SetupLists lists = ProgramSetupLists();
        usersetup::UserSettings settings;
        std::vector<int> missing;
        const bool read = session.Connect() && session.Read(settings, lists, *timeout, missing);
        // A block sent during the read is later than any of the ID check.
        if (const auto block = session.LastStatus()) lastStatus = block;
        if (read) {
            settingsJson = SettingsJson(settings, lists);
            for (const auto& [setting, value] : usersetup::DescribeSettings(settings, lists))
                if (value == usersetup::kUnknownText) unknownNames.append(QString::fromStdString(setting));
            settingsRead = true;
        } else {
            Note("the printer answered, but not every settings request");
        }
    }
    // An Ethernet printer's MAC and network values, from one bounded search by its address.
    QJsonValue network;
    if (ethernet && !options.Has("no-settings")) {
        base::RealClock clock;
        const std::optional<netcfg::NetEndpoints> endpoints = AddressSearchEndpoints(options, connection->ipAddress);
        if (!endpoints) return kExitUsage;
        if (const std::optional<FoundPrinter> found = SearchByAddress(clock, *endpoints, connection->ipAddress)) {
            network = NetValuesJson(found->settings);
            SetJsonTargetKey("mac", QString::fromStdString(netcfg::FormatMac(found->settings.mac)));
        } else {
            Note("the printer's network values are not known: no answer to a search of " +
                 connection->ipAddress);
        }
    }
    if (!Mode().json) {
        // The ID in decimal as the JSON gives it, and in hex as the manual lists it.
        std::printf("%s: the printer answered, model ID %d (hex %s, %s)\n", name.c_str(), id, idText,
                    series.empty() ? "a model korva does not know" : series.c_str());
        if (lastStatus)
            std::printf("  last automatic status block: %s\n", BlockText(*lastStatus).toUtf8().constData());
        for (auto it = settingsJson.begin(); it != settingsJson.end(); ++it)
            std::printf("  %s=%s\n", it.key().toUtf8().constData(),
                        it.value().isDouble() ? std::to_string(it.value().toInt()).c_str()
                                              : it.value().toString().toUtf8().constData());
    }
    JsonReport report(kExitOk);
    report.Set("port", name).Set("answered", true).Set("model_id", id).Set("model_id_hex", idText);
    report.Set("series", series.empty() ? QJsonValue() : QJsonValue(QString::fromStdString(series)));
    report.Set("model", model).Set("network", network).Set("status_block", StatusBlockJson(lastStatus));
    report.Set("write_only", WriteOnlyJson(kind));
    if (settingsRead) report.Set("settings", settingsJson).Set("unknowns", unknownNames);
    report.Print();
    return kExitOk;
}

const CommandRegistration kStatus{{
    {"status"},
    "check that the printer answers, and show its series and settings",
    "--port P [connection options] [--timeout MS] [--no-settings]",
    "Asks the printer for its model ID and prints the series the answer stands\n"
    "for; a KORVA20 or KORVA20II printer's user settings follow, and an Ethernet\n"
    "printer's MAC and network values (a search sent to its address; bounded).\n"
    "Exits 0 only when the printer answered: the check before a fleet run.\n"
    "The JSON: answered, model_id (and model_id_hex), series, model (--model as\n"
    "given), settings, write_only, unknowns, network, status_block (the last\n"
    "automatic status block the printer sent, as hex bytes; null when none came);\n"
    "target.mac when found.",
    WithConnectionOptions(WithAddressSearchOptions({
        TimeoutOption("how long the printer may take to answer, default 1000"),
        {"no-settings", 0, "", "only the ID: no settings, no network values (fast)"},
    })),
    RunStatus,
}};

}  // namespace
}  // namespace korva::cli

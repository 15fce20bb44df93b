// korva setup read: asks the printer for every user setting and prints them.
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "cli/Command.h"
#include "cli/DeviceRootsEnv.h"
#include "cli/JsonReport.h"
#include "cli/LogoCommandSupport.h"
#include "cli/Output.h"
#include "cli/SetupCommand.h"
#include "cli/Signals.h"
#include "cli/TargetLock.h"
#include "usersetup/SettingNames.h"
#include "usersetup/SetupSession.h"

namespace korva::cli {
namespace {

int RunRead(const ParsedOptions& parsed) {
    const std::optional<SetupOptions> options = ParseSetupOptions(parsed);
    if (!options) return kExitUsage;
    if (!parsed.Operands().empty()) return UsageError("unexpected argument " + parsed.Operands()[0]);

    if (const int code = LockTarget(options->connection, parsed); code >= 0) return code;
    base::CErrorLog& log = base::ErrorLog();
    StderrMessages messages;
    usersetup::SetupSession session(options->connection, log, DeviceRootsFromEnvironment());
    const port::PortKind kind = session.Kind();
    if (kind == port::PortKind::File || kind == port::PortKind::OutputFile)
        return UsageError("a file cannot answer; give a printer port");
    // Reading changes nothing in the printer: a signal ends it at once.
    StopScope stop(StopMode::AtOnce, "interrupted while reading; the printer is unchanged");
    if (!session.Connect()) return SetSessionReason(session, options->connection, false), kExitPrinter;
    const usersetup::SetupLists lists = ProgramSetupLists();
    usersetup::UserSettings settings;
    std::vector<int> missing;
    const bool complete = session.Read(settings, lists, options->timeoutMs, missing);
    if (!missing.empty()) {
        std::string numbers;
        for (int n : missing) numbers += " " + std::to_string(n);
        Error(std::string("no answer for setting") + (missing.size() > 1 ? "s" : "") + numbers);
    }
    if (!complete) return SetSessionReason(session, options->connection, true), kExitPrinter;
    PrintSettingLines(settings, lists);
    const std::vector<std::string> unknown = usersetup::UnknownSettings(settings, lists);
    for (const std::string& warning : unknown) Note("warning: " + warning);
    QJsonArray unknownNames;
    for (const auto& [name, value] : usersetup::DescribeSettings(settings, lists))
        if (value == usersetup::kUnknownText) unknownNames.append(QString::fromStdString(name));
    const int code = unknown.empty() ? kExitOk : kExitReadUnknowns;
    JsonReport(code)
        .Set("settings", SettingsJson(settings, lists))
        .Set("write_only", WriteOnlyJson(kind))
        .Set("unknowns", unknownNames)
        .Print();
    return code;
}

const CommandRegistration kRead{{
    {"setup", "read"},
    "read the printer's user settings",
    "--port P [connection options] [--timeout MS]",
    "Reads the printer's user settings and prints them as NAME=VALUE lines, which\n"
    "'korva setup write' takes back unchanged. A setting whose answer is no value\n"
    "the printer takes is printed as NAME=unknown with a warning, and the exit\n"
    "code is 4 (read, with unknowns; JSON reason unknowns, listed in unknowns).\n"
    "A setting the printer takes but cannot report over this link (stop-bits\n"
    "over Ethernet or parallel) is not printed; the JSON lists it in write_only.",
    SetupOptionSpecs({}),
    RunRead,
}};

}  // namespace
}  // namespace korva::cli

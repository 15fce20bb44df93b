// korva logo print: prints logos stored in the printer, all 255 or a typed
// selection, one command every 300 ms as the logo tool's Print page does.
#include <optional>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "base/Messages.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/JsonReport.h"
#include "cli/LogoCommandSupport.h"
#include "cli/Output.h"
#include "cli/RequireConfirmed.h"
#include "cli/RunReason.h"
#include "cli/TargetLock.h"
#include "logo/LogoPrint.h"

namespace korva::cli {
namespace {

bool ParseSize(const std::string& text, logo::PrintSize& size) {
    if (text == "normal") size = logo::PrintSize::Normal;
    else if (text == "double-width") size = logo::PrintSize::DoubleWidth;
    else if (text == "double-height") size = logo::PrintSize::DoubleHeight;
    else if (text == "quadruple") size = logo::PrintSize::Quadruple;
    else return false;
    return true;
}

/// Returns an exit code when parsing ends the command, else -1.
int ParseArgs(const ParsedOptions& options, port::ConnectionSettings& connection,
              logo::LogoPrintSettings& settings) {
    const std::optional<port::ConnectionSettings> parsed = ConnectionFromOptions(options, true);
    if (!parsed) return kExitUsage;
    connection = *parsed;
    if (!options.Operands().empty()) return UsageError("unexpected argument " + options.Operands()[0]);
    settings.header = options.Has("header");
    const std::optional<int> timeout = TimeoutFromOptions(options, kCheckTimeoutMs, 1, 600000);
    if (!timeout) return kExitUsage;
    settings.replyWaitMs = *timeout;
    settings.starEmulation = options.Has("star");
    if (options.Has("size") && !ParseSize(options.Get("size"), settings.size))
        return UsageError("--size takes normal, double-width, double-height or quadruple");
    if (options.Has("all") && options.Has("select")) return UsageError("give --all or --select, not both");
    const port::PortKind kind = ClassifyConnectionPort(connection).kind;
    if (kind == port::PortKind::File || kind == port::PortKind::OutputFile)
        return UsageError("printing needs a printer port, not " + connection.portName);
    if (options.Has("select")) {
        settings.all = false;
        settings.selection = options.Get("select");
        const logo::PrintPlan plan = logo::ParsePrintPlan(settings.selection);
        if (!plan.ok())
            return UsageError(std::string(base::Message(base::kMsgNvImageNumberIncorrect)) + " (" +
                              logo::DescribePlanError(plan.error) + ")");
    }
    return -1;
}

int RunPrint(const ParsedOptions& options) {
    port::ConnectionSettings connection;
    logo::LogoPrintSettings settings;
    if (const int code = ParseArgs(options, connection, settings); code >= 0) return code;

    if (const int code = LockTarget(connection, options); code >= 0) return code;
    base::CErrorLog& log = base::ErrorLog();
    StderrMessages messages;
    LogoConnection link(connection, "", log);
    base::Clock& clock = link.Clock();
    logo::LogoPrint print(link.Stream(), clock, log, settings);
    // The status counts the logos selected, not the 255 of the dialog's text.
    RunWithProgress(print, clock, "stopping after the logo being printed", [&] {
        if (print.Count() == 0) return std::string();
        return "Printing... " + std::to_string(print.Count()) + "/" + std::to_string(print.Total());
    });
    int code = kExitPrinter;
    switch (print.GetOutcome()) {
        case logo::LogoPrint::Outcome::Completed: code = kExitOk; break;
        case logo::LogoPrint::Outcome::BadSelection: code = kExitUsage; break;
        case logo::LogoPrint::Outcome::Cancelled:
            Error("cancelled after " + std::to_string(print.Count()) + " logos");
            code = StopExitCode();
            break;
        default: break;
    }
    // Silence after the last byte is the printer's, not a fault of the link.
    if (print.Reason() == base::Reason::NoAnswer) SetReason(base::Reason::NoAnswer);
    if (code == kExitOk && !print.Confirmed()) Note("sent, not confirmed: the printer gives no answer");
    const bool checked = code == kExitOk;
    code = ConfirmedExit(options, code, print.Confirmed());
    JsonReport report(code);
    report.Set("printed", static_cast<long long>(print.Count()))
        .Set("total", static_cast<long long>(print.Total()));
    if (checked) report.Set("confirmed", print.Confirmed());
    report.Print();
    return code;
}

const CommandRegistration kPrint{{
    {"logo", "print"},
    "print logos stored in the printer",
    "--port P [connection options] [--all | --select TEXT]\n"
    "                        [--size normal|double-width|double-height|quadruple]\n"
    "                        [--header] [--star]",
    "Prints logos stored in the printer's NV graphics memory, one every 300 ms.",
    WithConnectionOptions({
        {"all", 0, "", "logos 1..255 (the default)"},
        {"select", 0, "TEXT", "numbers and ranges, e.g. 3,9-7,-2 (-4 is 1-4, 250- is\n"
                              "250-255)"},
        {"size", 0, "S", "print size, default normal"},
        {"header", 0, "", "print \"--- Logo N ---\" above each logo"},
        {"star", 0, "", "Star emulation: ESC in front of each command"},
        CheckTimeoutOption(),
        RequireConfirmedOption(),
    }),
    RunPrint,
}};

}  // namespace
}  // namespace korva::cli

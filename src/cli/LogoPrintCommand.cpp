// korva logo print: prints logos stored in the printer, all 255 or a typed
// selection, one command every 300 ms as the logo tool's Print page does.
#include <cstdio>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "base/Messages.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/LogoCommandSupport.h"
#include "logo/LogoPrint.h"

namespace korva::cli {
namespace {

constexpr const char* kUsage =
    "usage: korva logo print --port P [connection options] [--all | --select TEXT]\n"
    "                        [--size normal|double-width|double-height|quadruple]\n"
    "                        [--header] [--star]\n"
    "Prints logos stored in the printer's NV graphics memory.\n\n"
    "  --all                logos 1..255 (the default)\n"
    "  --select TEXT        numbers and ranges, e.g. 3,9-7,-2 (-4 is 1-4, 250- is 250-255)\n"
    "  --size S             print size, default normal\n"
    "  --header             print \"--- Logo N ---\" above each logo\n"
    "  --star               Star emulation: ESC in front of each command\n"
    "  --json               print the result as one JSON object on stdout\n";

int usageError(const std::string& why) {
    std::fprintf(stderr, "korva logo print: %s\n%s", why.c_str(), kUsage);
    return kExitUsage;
}

bool parseSize(const std::string& text, logo::PrintSize& size) {
    if (text == "normal") size = logo::PrintSize::Normal;
    else if (text == "double-width") size = logo::PrintSize::DoubleWidth;
    else if (text == "double-height") size = logo::PrintSize::DoubleHeight;
    else if (text == "quadruple") size = logo::PrintSize::Quadruple;
    else return false;
    return true;
}

/// Returns an exit code when parsing ends the command, else -1.
int parseArgs(const std::vector<std::string>& args, port::ConnectionSettings& connection,
              logo::LogoPrintSettings& settings, bool& json) {
    const port::ConnectionArgs conn = ParseConnectionOptions(args, false);
    if (!conn.error.empty()) return usageError(conn.error);
    connection = conn.settings;
    bool allGiven = false;
    bool selectGiven = false;
    for (size_t i = 0; i < conn.rest.size(); ++i) {
        const std::string& arg = conn.rest[i];
        std::string value;
        bool missing = false;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs(kConnectionOptionsHelp, stdout);
            return kExitOk;
        } else if (arg == "--all") {
            allGiven = true;
        } else if (arg == "--header") {
            settings.header = true;
        } else if (arg == "--star") {
            settings.starEmulation = true;
        } else if (arg == "--json") {
            json = true;
        } else if (TakeValue(conn.rest, i, "--select", value, missing)) {
            if (missing) return usageError("--select takes a selection text");
            selectGiven = true;
            settings.all = false;
            settings.selection = value;
        } else if (TakeValue(conn.rest, i, "--size", value, missing)) {
            if (missing || !parseSize(value, settings.size))
                return usageError("--size takes normal, double-width, double-height or quadruple");
        } else {
            return usageError("unexpected argument " + arg);
        }
    }
    if (!conn.portGiven) return usageError("--port is required");
    if (allGiven && selectGiven) return usageError("give --all or --select, not both");
    const port::PortKind kind = connection.Kind();
    if (kind == port::PortKind::File || kind == port::PortKind::OutputFile)
        return usageError("printing needs a printer port, not " + connection.portName);
    if (selectGiven) {
        const logo::PrintPlan plan = logo::parsePrintPlan(settings.selection);
        if (!plan.ok())
            return usageError(std::string(base::Message(base::kMsgNvImageNumberIncorrect)) + " (" +
                              logo::describePlanError(plan.error) + ")");
    }
    return -1;
}

const char* outcomeName(logo::LogoPrint::Outcome outcome) {
    using Outcome = logo::LogoPrint::Outcome;
    switch (outcome) {
        case Outcome::None: return "none";
        case Outcome::Completed: return "completed";
        case Outcome::Cancelled: return "cancelled";
        case Outcome::BadSelection: return "bad-selection";
        case Outcome::PortOpenFailed: return "port-open-failed";
        case Outcome::WriteFailed: return "write-failed";
        case Outcome::CommunicationError: return "communication-error";
    }
    return "none";
}

int runPrint(const std::vector<std::string>& args) {
    port::ConnectionSettings connection;
    logo::LogoPrintSettings settings;
    bool json = false;
    if (const int code = parseArgs(args, connection, settings, json); code >= 0) return code;

    base::CErrorLog log;
    StderrMessages messages;
    InterruptWatch interrupt;
    LogoConnection link(connection, "", log);
    base::Clock& clock = link.Clock();
    logo::LogoPrint print(link.Stream(), clock, log, settings);
    RunWithProgress(print, clock, interrupt, [&] { return print.StatusText(); });
    if (json) {
        std::printf("{\"outcome\":\"%s\",\"printed\":%ld,\"total\":%ld}\n",
                    outcomeName(print.GetOutcome()), print.Count(), print.Total());
    }
    switch (print.GetOutcome()) {
        case logo::LogoPrint::Outcome::Completed: return kExitOk;
        case logo::LogoPrint::Outcome::BadSelection: return kExitUsage;
        case logo::LogoPrint::Outcome::Cancelled:
            std::fprintf(stderr, "korva: cancelled after %ld logos\n", print.Count());
            return kExitPrinter;
        default: return kExitPrinter;
    }
}

const CommandRegistration kPrint{{
    {"logo", "print"},
    "print logos stored in the printer",
    runPrint,
}};

}  // namespace
}  // namespace korva::cli

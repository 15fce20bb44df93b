// korva net set: changes one Ethernet printer's IP address, subnet mask,
// gateway, TCP port and DHCP use; the printer is picked by its MAC address.
// It searches for the printer first and sends nothing when the printer holds
// the values already; after an apply it searches again until the restarted
// printer answers with the new values.
#include <QJsonObject>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "profile/FileLocations.h"
#include "base/Clock.h"
#include "cli/Command.h"
#include "cli/JsonReport.h"
#include "cli/RunReason.h"
#include "cli/LogoCommandSupport.h"
#include "cli/NetCommandOptions.h"
#include "cli/NetLookup.h"
#include "cli/NumberText.h"
#include "cli/Output.h"
#include "cli/RequireConfirmed.h"
#include "cli/Signals.h"
#include "netcfg/ChangeRequest.h"
#include "netcfg/LateAnswers.h"
#include "netcfg/NetChangeCheck.h"
#include "netcfg/NetSettingChange.h"
#include "netcfg/NetText.h"

namespace korva::cli {
namespace {

const std::vector<std::string> kRequired{"mac", "ip", "mask", "gateway", "tcp-port", "dhcp"};
/// How long a printer may take to restart after an apply and answer again.
constexpr int kRestartWaitSeconds = 20;

// The TCP port as typed; out-of-range numbers are kept so the range message names them.
std::optional<long> ParseTcpPortText(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

/// "; ignored the answers of 00:2B:9E:.. (10.0.0.7), ..." for replies that
/// carried another MAC, or "".
std::string IgnoredReplies(const netcfg::NetSettingChange& change) {
    std::string text;
    for (const netcfg::NetSettingChange::Reply& reply : change.OtherReplies()) {
        text += text.empty() ? "; ignored the answers of " : ", ";
        text += (reply.settings ? netcfg::FormatMac(reply.settings->mac) : "an unreadable reply") +
                " (" + reply.sender + ")";
    }
    return text;
}

std::string ValueText(const QJsonValue& value) {
    if (value.isBool()) return value.toBool() ? "on" : "off";
    if (value.isDouble()) return std::to_string(value.toInt());
    return value.toString().toStdString();
}

/// {NAME: {"from", "to"}} of the values `to` changes from `from`.
QJsonObject NetChanges(const netcfg::NetSettings& from, const netcfg::NetSettings& to) {
    const QJsonObject before = NetValuesJson(from), after = NetValuesJson(to);
    QJsonObject changes;
    for (auto it = before.begin(); it != before.end(); ++it)
        if (it.value() != after[it.key()])
            changes[it.key()] = QJsonObject{{"from", it.value()}, {"to", after[it.key()]}};
    return changes;
}

/// "NAME: FROM -> TO" lines, one per change.
std::string ChangeLines(const QJsonObject& changes, const char* arrow) {
    std::string lines;
    for (auto it = changes.begin(); it != changes.end(); ++it)
        lines += it.key().toStdString() + ": " + ValueText(it.value().toObject()["from"]) + arrow +
                 ValueText(it.value().toObject()["to"]) + "\n";
    return lines;
}

/// Where runs of this user note until when a printer's answers may still come:
/// beside the program's error log, shared with the dialog.
netcfg::LateAnswerFiles LateAnswersOfThisUser() {
    const std::string logPath = profile::ProgramFileLocations().logPath;
    profile::MakeFolderFor(logPath);
    return netcfg::LateAnswerFiles(std::filesystem::path(logPath).parent_path().string());
}

/// The result keys every outcome after the first search shares.
JsonReport& WithBefore(JsonReport& report, const std::optional<FoundPrinter>& before,
                       const netcfg::NetSettings& wanted) {
    if (before)
        report.Set("before", NetValuesJson(before->settings))
            .Set("changes", NetChanges(before->settings, wanted))
            .Set("sender", before->sender);
    return report;
}

/// Sends the change and the apply, then waits for the printer to answer
/// with the new values. `before` is what the search found (none when the
/// change is refused before sending).
int ApplyChange(const ParsedOptions& options, const netcfg::NetEndpoints& endpoints,
                const netcfg::ChangeBuild& request, const std::optional<FoundPrinter>& before,
                int restartWaitSeconds) {
    const netcfg::NetSettings& wanted = request.settings;
    base::RealClock clock;
    netcfg::NetSettingChange change(clock, endpoints, request, /*askConfirmation=*/false);
    // Only the changed printer's own answer (its MAC in the reply) counts here.
    change.RequireMatchingAnswer();
    netcfg::LateAnswerFiles lateAnswers = LateAnswersOfThisUser();
    change.UseLateAnswerLog(&lateAnswers);
    if (const int ms = lateAnswers.RemainingMs(wanted.mac); ms > 0 && request.error == netcfg::ChangeError::None)
        Note("an earlier change to " + netcfg::FormatMac(wanted.mac) + " may still be answered; sending in " +
             std::to_string(ms) + " ms");
    base::RunSteps(change, clock);
    switch (change.GetOutcome()) {
        case netcfg::NetSettingChange::Outcome::Applied: break;
        case netcfg::NetSettingChange::Outcome::NoAnswer: {
            SetReason(base::Reason::NoAnswer);
            Error("no printer answered the change for " + netcfg::FormatMac(wanted.mac) +
                  "; nothing was applied" + IgnoredReplies(change));
            JsonReport report(kExitPrinter);
            WithBefore(report, before, wanted).Set("changed", false).Print();
            return kExitPrinter;
        }
        case netcfg::NetSettingChange::Outcome::Refused: return kExitUsage;
        default: {
            JsonReport report(kExitPrinter);
            WithBefore(report, before, wanted).Print();
            return kExitPrinter;
        }
    }
    Note("answered by " + netcfg::FormatMac(wanted.mac) + " from " + change.AnswerReply()->sender +
         "; applied, waiting for the printer to answer with the new values");
    // The apply has no answer of its own and may be lost: done only when the
    // restarted printer shows the new values.
    const int limitMs = restartWaitSeconds * 1000;
    netcfg::NetChangeCheck check(clock, endpoints, wanted, limitMs);
    base::RunSteps(check, clock);
    using Check = netcfg::NetChangeCheck::Outcome;
    if (check.GetOutcome() == Check::Confirmed || check.GetOutcome() == Check::OldValues) {
        const netcfg::NetSettings& answer = *check.LastAnswer();
        const bool kept = check.GetOutcome() == Check::Confirmed;
        if (kept) {
            Note("the printer answers with the new values");
        } else {
            SetReason(base::Reason::NotKept, Subject::Printer);
            std::string lines = ChangeLines(NetChanges(wanted, answer), " applied, the printer has ");
            if (!lines.empty()) lines.pop_back();
            Error("the printer still answers with other values than those applied (was the apply lost?):\n" +
                  lines);
        }
        const int code = kept ? kExitOk : kExitPrinter;
        JsonReport report(code);
        WithBefore(report, before, wanted)
            .Set("changed", true)
            .Set("confirmed", kept)
            .Set("after", NetValuesJson(answer))
            .Print();
        return code;
    }
    if (check.GetOutcome() == Check::SystemError) {
        Error(netcfg::ChangeCheckText(check.GetOutcome(), check.LastAnswer(), limitMs));
        JsonReport report(kExitPrinter);
        WithBefore(report, before, wanted).Set("changed", true).Set("confirmed", false).Print();
        return kExitPrinter;
    }
    Note("applied, not confirmed: the printer did not answer within " + std::to_string(restartWaitSeconds) +
         " s of the apply (--restart-wait)");
    const int code = ConfirmedExit(options, kExitOk, false);
    JsonReport report(code);
    WithBefore(report, before, wanted).Set("changed", true).Set("confirmed", false).Print();
    return code;
}

int RunNetSet(const ParsedOptions& options) {
    const std::optional<netcfg::NetEndpoints> endpoints = EndpointsFromOptions(options);
    if (!endpoints) return kExitUsage;
    if (!options.Operands().empty()) return UsageError("unexpected argument " + options.Operands()[0]);
    for (const std::string& name : kRequired)
        if (!options.Has(name)) return UsageError("--" + name + " is required");

    const std::string dhcp = options.Get("dhcp");
    if (dhcp != "on" && dhcp != "off") return UsageError("--dhcp takes on or off");
    const std::optional<long> tcpPort = ParseTcpPortText(options.Get("tcp-port"));
    if (!tcpPort)
        return UsageError("--tcp-port needs a number, not \"" + options.Get("tcp-port") + "\"");
    int restartWait = kRestartWaitSeconds;
    if (options.Has("restart-wait") && !ParseNumber(options.Get("restart-wait"), 0, 600, restartWait))
        return UsageError("--restart-wait takes seconds, 0..600");
    const netcfg::ChangeBuild request = netcfg::BuildChange(
        {options.Get("ip"), options.Get("mask"), options.Get("gateway"), *tcpPort, dhcp == "on"},
        options.Get("mac"));
    switch (request.error) {
        case netcfg::ChangeError::None:
        case netcfg::ChangeError::IpRange:
        case netcfg::ChangeError::PortRange:
            break;  // the change itself says what is out of range
        default:
            return UsageError(netcfg::DescribeChangeError(request.error));
    }
    const bool dryRun = options.Has("dry-run");
    const netcfg::NetSettings& wanted = request.settings;
    SetJsonTarget(QJsonObject{{"port", "ETHERNET_II"}, {"ip", QJsonValue()}, {"tcp_port", QJsonValue()},
                              {"mac", QString::fromStdString(netcfg::FormatMac(wanted.mac))}});

    StderrMessages messages;
    StopScope stop(StopMode::AtOnce, "interrupted before anything was sent; the printer is unchanged");
    std::optional<FoundPrinter> before;
    if (request.error == netcfg::ChangeError::None) {
        // What the printer holds now decides whether anything is sent at all.
        base::RealClock clock;
        netcfg::LateAnswerFiles lateAnswers = LateAnswersOfThisUser();
        const MacSearch search = SearchByMac(clock, *endpoints, wanted.mac, &lateAnswers);
        before = search.found;
        if (!before) {
            if (!search.setupFailed) SetReason(base::Reason::NoAnswer);
            Error("no printer with MAC " + netcfg::FormatMac(wanted.mac) + " answered the search; nothing was sent" +
                  (search.others.empty() ? "" : "; ignored the answers of " + search.others));
            JsonReport(kExitPrinter).Set("changed", false).Print();
            return kExitPrinter;
        }
        SetJsonTargetKey("ip", QString::fromStdString(netcfg::FormatIpv4(before->settings.ip)));
        SetJsonTargetKey("tcp_port", before->settings.tcpPort);
        // With DHCP the address, mask and gateway are the server's: they do not differ.
        const bool holds = netcfg::NetChangeCheck::Matches(before->settings, wanted);
        const QJsonObject changes = holds ? QJsonObject() : NetChanges(before->settings, wanted);
        if (dryRun || holds) {
            if (!Mode().json) std::fputs(ChangeLines(changes, " -> ").c_str(), stdout);
            const std::string count = std::to_string(changes.size()) + " value" + (changes.size() > 1 ? "s" : "");
            Note(changes.isEmpty() ? "the printer holds these values already; nothing was sent"
                                   : "dry run: " + count + " would change; nothing was sent");
            JsonReport report(kExitOk);
            WithBefore(report, before, wanted)
                .Set("dry_run", dryRun)
                // As in a check mode: whether a real run would change the printer.
                .Set("changed", dryRun && !changes.isEmpty())
                .Set("confirmed", dryRun ? QJsonValue() : QJsonValue(true))
                .Set("after", NetValuesJson(dryRun ? wanted : before->settings))
                .Print();
            return kExitOk;
        }
    } else if (dryRun) {
        return UsageError(netcfg::DescribeChangeError(request.error));
    }
    stop.Change(StopMode::Unstoppable, "the change is on its way; it cannot be stopped");
    return ApplyChange(options, *endpoints, request, before, restartWait);
}

const CommandRegistration kNetSet{{
    {"net", "set"},
    "change an Ethernet printer's IP address, mask, gateway, port and DHCP use",
    "--mac XX:XX:XX:XX:XX:XX --ip A.B.C.D --mask A.B.C.D\n"
    "                     --gateway A.B.C.D --tcp-port N --dhcp on|off\n"
    "                     [--dry-run] [--restart-wait S] [--broadcast ADDR]",
    "Searches for the printer with that MAC first: when it holds these values\n"
    "already nothing is sent (JSON changed:false); --dry-run shows what differs.\n"
    "Else it sends the change, waits up to one second for the printer's answer (a\n"
    "reply carrying that MAC; others are ignored), then sends the apply; the\n"
    "printer beeps and restarts. Without that answer no apply is sent and the\n"
    "printer keeps its settings. Right after an unanswered change to the same\n"
    "printer it first waits up to 2 s, so a late answer to that change is not\n"
    "taken for the answer to this one.\n"
    "After the apply it searches for the MAC until the restarted printer answers:\n"
    "with the new values it is done; with other values it fails (reason not-kept:\n"
    "the apply was lost); no answer within --restart-wait is \"applied, not\n"
    "confirmed\" (exit 0, or 1 with --require-confirmed).\n"
    "The IP address and gateway must end in 1..254, the TCP port lie in 1024..65534.\n"
    "Exit code 1 when no printer answered the search or the change.",
    WithNetEndpointOptions({
        {"mac", 0, "XX:XX:XX:XX:XX:XX", "the printer to change"},
        {"ip", 0, "A.B.C.D", "its new IP address"},
        {"mask", 0, "A.B.C.D", "its new subnet mask"},
        {"gateway", 0, "A.B.C.D", "its new gateway"},
        {"tcp-port", 0, "N", "its new TCP port, 1024..65534"},
        {"dhcp", 0, "on|off", "whether it takes its address from DHCP"},
        {"dry-run", 0, "", "search for the printer and show what would change;\n"
                           "nothing is sent"},
        {"restart-wait", 0, "SECONDS",
         "how long the restarted printer may take to answer with\n"
         "the new values, default 20"},
        RequireConfirmedOption(),
    }),
    RunNetSet,
}};

}  // namespace
}  // namespace korva::cli

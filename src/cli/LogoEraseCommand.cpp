// korva logo erase: clears every logo stored in the printer's NV graphics
// memory (an NV definition of one empty image).
#include <optional>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/JsonReport.h"
#include "cli/LogoCommandSupport.h"
#include "cli/Output.h"
#include "cli/LogoFingerprint.h"
#include "cli/NetCommandOptions.h"
#include "cli/RequireConfirmed.h"
#include "cli/Signals.h"
#include "cli/TargetLock.h"
#include "logo/NvUpload.h"

namespace korva::cli {
namespace {

int RunErase(const ParsedOptions& options) {
    const std::optional<port::ConnectionSettings> connection = ConnectionFromOptions(options, false);
    if (!connection) return kExitUsage;
    if (!options.Operands().empty()) return UsageError("unexpected argument " + options.Operands()[0]);
    const std::string outputFile = options.Get("out");
    if (options.Has("port") == options.Has("out")) return UsageError("give either --port or --out");
    const std::optional<int> timeout = TimeoutFromOptions(options, kCheckTimeoutMs, 1, 600000);
    if (!timeout) return kExitUsage;
    if (outputFile == "-" && Mode().json)
        return UsageError("--json needs standard output for itself; give --out a file name");

    const bool ifChanged = options.Has("if-changed"), dryRun = options.Has("dry-run");
    if ((ifChanged || dryRun) && !outputFile.empty())
        return UsageError("--if-changed and --dry-run compare with what korva recorded for a printer; give --port");
    std::optional<LogoRecord> record;
    if (outputFile.empty() && (ifChanged || !dryRun)) {
        record = LogoRecord::Of(*connection, options);
        if (!record) return kExitUsage;
    }
    // Only korva's record can say the printer holds no logos: it cannot list them.
    const bool alreadyErased = ifChanged && record->Fingerprint() == ErasedFingerprint();
    if (alreadyErased || dryRun) {
        Note(alreadyErased ? "the printer's last confirmed logo command was an erase; nothing was sent"
                           : "the erase would be sent; nothing was sent");
        JsonReport(Outcome::Done)
            .Set("dry_run", dryRun)
            .Set("changed", !alreadyErased)
            .Set("skipped", alreadyErased)
            .Print();
        return kExitOk;
    }
    if (outputFile.empty())
        if (const int code = LockTarget(*connection, options); code >= 0) return code;
    base::CErrorLog& log = base::ErrorLog();
    StderrMessages messages(!outputFile.empty());
    LogoConnection link(*connection, outputFile, log);
    logo::NvUploadSettings settings;
    settings.askConfirmation = false;
    settings.replyWaitMs = *timeout;
    base::Clock& clock = link.Clock();
    logo::NvUpload erase(link.Stream(), clock, log, {}, {}, settings);
    // One short command: it goes out whole or not at all.
    StopScope stop(StopMode::Unstoppable, "the erase command is on its way; it cannot be stopped");
    base::RunSteps(erase, clock);
    // Whatever the record said, the printer holds other logos now (or none).
    if (outputFile.empty()) {
        if (erase.Confirmed()) record->Record(ErasedFingerprint());
        else record->Forget();
    }
    const bool erased = link.FinishOutput(erase.GetOutcome() == logo::NvUpload::Outcome::Erased);
    if (!outputFile.empty()) SetJsonTarget(FileTargetJson(outputFile));
    if (!erased) {
        const int code = OutputFileExit(kExitPrinter, outputFile);
        JsonReport(code).Print();
        return code;
    }
    Note(!outputFile.empty()   ? "the erase command is written to " + outputFile
         : erase.Confirmed() ? "the printer's NV logos are erased"
                             : "the erase command was sent, not confirmed");
    // The printer cannot list its logos: an erase sent always counts as a change.
    const int code = ConfirmedExit(options, kExitOk, erase.Confirmed());
    JsonReport report(code);
    report.Set("confirmed", erase.Confirmed());
    if (outputFile.empty()) report.Set("changed", true);
    report.Print();
    return code;
}

const CommandRegistration kErase{{
    {"logo", "erase"},
    "erase every NV logo stored in the printer",
    "(--port P [connection options] | --out OUT.prn)",
    "Erases every logo stored in the printer's NV graphics memory. korva records a\n"
    "confirmed erase in its state folder, as it records uploads; --if-changed\n"
    "sends nothing when that record says the printer holds no logos. An upload\n"
    "made behind korva's back is not seen. An Ethernet printer is known by its\n"
    "MAC, as for logo upload.",
    WithConnectionOptions(WithAddressSearchOptions({OutOption("write the byte stream to a file (- for standard output)\n"
                                     "instead of a printer"),
                           CheckTimeoutOption(), RequireConfirmedOption(),
                           {"if-changed", 0, "",
                            "send nothing when korva's record says the printer's\n"
                            "last confirmed logo command was an erase"},
                           {"dry-run", 0, "", "say whether the erase would be sent; send nothing"}})),
    RunErase,
}};

}  // namespace
}  // namespace korva::cli

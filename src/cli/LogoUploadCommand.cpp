// korva logo upload: stores bitmap files as NV logos 1..n, with the bytes and
// pacing of the logo tool's Upload page.
#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "base/Messages.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/InputFile.h"
#include "cli/InputKinds.h"
#include "cli/JsonReport.h"
#include "cli/LogoCommandSupport.h"
#include "cli/NumberText.h"
#include "cli/Output.h"
#include "cli/LogoFingerprint.h"
#include "cli/NetCommandOptions.h"
#include "cli/RequireConfirmed.h"
#include "cli/TargetLock.h"
#include "cli/RunReason.h"
#include "logo/LogoFile.h"
#include "logo/LogoGeometry.h"
#include "logo/NvDefinition.h"
#include "logo/NvUpload.h"
#include "logo/UploadConverter.h"
#include "port/DeviceType.h"

namespace korva::cli {
namespace {

struct UploadArgs {
    port::ConnectionSettings connection;
    std::string outputFile;
    logo::LogoOptions options;
    std::vector<int> center;
    std::vector<std::string> files;
    bool centerAll = false;
    bool dryRun = false;
    bool ifChanged = false;
    int replyWaitMs = kCheckTimeoutMs;
};

bool ParseCenterList(const std::string& text, std::vector<int>& out) {
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        int n = 0;
        if (!ParseNumber(std::string_view(text).substr(start, comma - start), 1, 255, n))
            return false;
        out.push_back(n);
        start = comma + 1;
    }
    return true;
}

/// Returns an exit code when parsing ends the command, else -1.
int ParseArgs(const ParsedOptions& options, UploadArgs& out) {
    const std::optional<port::ConnectionSettings> connection = ConnectionFromOptions(options, false);
    if (!connection) return kExitUsage;
    out.connection = *connection;
    out.options.grayPrinting = options.Has("gray");
    out.options.starEmulation = options.Has("star");
    out.outputFile = options.Get("out");
    out.files = options.Operands();
    if (options.Has("threshold") && !ParseNumber(options.Get("threshold"), 0, 255, out.options.threshold))
        return UsageError("--threshold takes a number 0..255");
    if (options.Has("max-width") &&
        !ParseNumber(options.Get("max-width"), 1, 512, out.options.maxPrintableWidth))
        return UsageError("--max-width takes a number of dots 1..512");
    for (const std::string& list : options.All("center")) {
        if (list.empty()) out.centerAll = true;
        else if (!ParseCenterList(list, out.center))
            return UsageError("--center=N,... takes logo numbers 1..255 separated by commas");
    }
    const std::optional<int> timeout = TimeoutFromOptions(options, kCheckTimeoutMs, 1, 600000);
    if (!timeout) return kExitUsage;
    out.replyWaitMs = *timeout;
    out.dryRun = options.Has("dry-run");
    out.ifChanged = options.Has("if-changed");
    if (out.ifChanged && !options.Has("port"))
        return UsageError("--if-changed compares with what korva recorded for a printer; give --port");
    if (options.Has("port") && options.Has("out")) return UsageError("give either --port or --out");
    if (!out.dryRun && !options.Has("port") && !options.Has("out"))
        return UsageError("give either --port or --out");
    if (out.outputFile == "-" && Mode().json)
        return UsageError("--json needs standard output for itself; give --out a file name");
    if (out.files.empty()) return UsageError("no bitmap files given (korva logo erase erases)");
    const bool korva10 = out.connection.deviceType == port::kDeviceTypeKorva10;
    if (korva10 && out.options.grayPrinting)
        return UsageError("gray printing is not available on KORVA10 printers");
    if (korva10 && !options.Has("max-width")) out.options.maxPrintableWidth = 384;
    for (int n : out.center)
        if (n > static_cast<int>(out.files.size()))
            return UsageError("--center names logo " + std::to_string(n) + ", but only " +
                              std::to_string(out.files.size()) + " files are given");
    return -1;
}

/// Lists the files as logos 1..n with the logo list's limits: 255 files and
/// the NV capacity. Returns an exit code on refusal, else -1.
int ListFiles(const UploadArgs& args, std::vector<InputFile>& inputs,
              std::vector<logo::UploadEntry>& entries) {
    if (args.files.size() > logo::kMaxNvImages) {
        SetReason(base::Reason::TooLarge);
        Error(base::Message(base::kMsgCantReadMoreFiles));
        return kExitBadInput;
    }
    const bool gray = args.options.grayPrinting;
    const int64_t capacity = logo::NvCapacityBytes();
    int64_t total = 0;
    for (size_t i = 0; i < args.files.size(); ++i) {
        const std::string& path = args.files[i];
        const int number = static_cast<int>(i) + 1;
        bool center = args.centerAll;
        for (int n : args.center) center = center || n == number;
        // What the image takes once converted: centring widens a 1-bit image.
        auto stored = [&](int64_t width, int64_t height) {
            return center && !gray ? logo::CentredNvImageBytes(width, height, args.options.maxPrintableWidth)
                                   : logo::NvImageBytes(width, height, gray);
        };
        auto overBudget = [&](int64_t bytes) {
            return std::string(base::Message(base::kMsgNvAreaTooSmall)) + " (the logos need " +
                   std::to_string(total + bytes) + " bytes, the NV area holds " + std::to_string(capacity) + ")";
        };
        // Read once (a FIFO has no second time); the upload reads the same bytes again.
        const std::string suffix = std::filesystem::path(path).extension().string();
        InputFile& input = inputs.emplace_back();
        if (!input.Read(path, PictureInput(suffix.empty() ? suffix : suffix.substr(1)))) return kExitBadInput;
        // Checked with the header's size, before a picture's pixels are unpacked.
        const logo::BitmapDecodeResult probe = logo::ProbeLogoBytes(
            std::vector<uint8_t>(input.Bytes()), suffix.empty() ? suffix : suffix.substr(1),
            [&](int width, int height) {
                if (!logo::HeaderCanCarry(width, height, gray)) return std::string();
                const int64_t bytes = stored(width, height);
                return bytes > logo::NvBytesLeft(total) ? overBudget(bytes) : std::string();
            });
        logo::LogDecoderWords(input.Name(), probe);
        if (!probe.ok()) {
            SetReason(logo::RefusalReason(probe.error), Subject::File, input.Name());
            Error(logo::DescribeRefusal(input.Name(), probe.error));
            return kExitBadInput;
        }
        const std::string copy = input.Path();
        if (copy.empty()) return kExitBadInput;
        const int64_t size = logo::NvImageBytes(probe.bitmap.width, probe.bitmap.height, gray);
        if (const int64_t bytes = stored(probe.bitmap.width, probe.bitmap.height); bytes > logo::NvBytesLeft(total)) {
            SetReason(base::Reason::TooLarge);
            Error(input.Name() + ": " + overBudget(bytes));
            return kExitBadInput;
        }
        total += stored(probe.bitmap.width, probe.bitmap.height);
        // A process substitution's "/dev/fd/63" says more than its "63".
        const bool descriptor = path.starts_with("/dev/fd/") || path.starts_with("/proc/self/fd/");
        const std::string name =
            path == "-" || descriptor ? input.Name() : std::filesystem::path(path).filename().string();
        entries.push_back({number, name, copy, static_cast<long>(size), center});
    }
    return -1;
}

int ExitCodeOf(const logo::NvUpload& upload) {
    using Outcome = logo::NvUpload::Outcome;
    switch (upload.GetOutcome()) {
        case Outcome::Completed:
        case Outcome::Erased: return kExitOk;
        case Outcome::FileUnreadable: SetReason(base::Reason::FileIo); return kExitBadInput;
        case Outcome::ImageTooLarge:
        case Outcome::NvAreaTooSmall: SetReason(base::Reason::TooLarge); return kExitBadInput;
        case Outcome::Cancelled:
            // A write the printer stopped taking ends the upload mid-image: nothing is closed.
            Error(upload.CutShort()
                      ? "cancelled while the printer was not taking data; " + upload.HeldText()
                      : "cancelled; the printer's definition was closed with empty images; " +
                            upload.HeldText());
            return StopExitCode();
        default: return kExitPrinter;
    }
}

/// Every file converted as the upload converts it; an exit code on refusal, else -1.
int convertAll(const UploadArgs& args, const std::vector<logo::UploadEntry>& entries,
               std::vector<logo::LogoRaster>& rasters) {
    const logo::LogoConverter convert = logo::MakeBitmapConverter(args.options);
    for (const logo::UploadEntry& entry : entries) {
        logo::LogoRaster& raster = rasters.emplace_back();
        if (!convert(entry, entry.number, raster)) {
            SetReason(base::Reason::BadInput, Subject::File, args.files[static_cast<size_t>(entry.number - 1)]);
            Error(args.files[static_cast<size_t>(entry.number - 1)] + ": cannot be converted; nothing was sent");
            return kExitBadInput;
        }
    }
    return -1;
}

/// The logos as the results list them, with their fingerprints.
QJsonArray LogosJson(const std::vector<logo::UploadEntry>& entries, const std::vector<logo::LogoRaster>& rasters,
                     const LogoFingerprints& fingerprints) {
    QJsonArray logos;
    for (size_t i = 0; i < entries.size(); ++i)
        logos.append(QJsonObject{{"number", entries[i].number},
                                 {"name", QString::fromStdString(entries[i].name)},
                                 {"width", rasters[i].paddedWidth},
                                 {"height", rasters[i].paddedHeight},
                                 {"bytes", static_cast<qint64>(entries[i].size)},
                                 {"fingerprint", QString::fromStdString(fingerprints.logos[i])}});
    return logos;
}

/// --dry-run: every file converted as the upload would convert it, the NV
/// budget checked; no port or output file is opened. With --if-changed it
/// says whether an upload would send anything.
int DryRun(const UploadArgs& args, const std::optional<LogoRecord>& record,
           const std::vector<logo::UploadEntry>& entries, const std::vector<logo::LogoRaster>& rasters,
           const LogoFingerprints& fingerprints) {
    long long total = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const logo::UploadEntry& entry = entries[i];
        total += entry.size;
        if (!Mode().json)
            std::printf("logo %d: %s, %d x %d dots, %ld bytes of NV memory, %s\n", entry.number,
                        entry.name.c_str(), rasters[i].paddedWidth, rasters[i].paddedHeight, entry.size,
                        fingerprints.logos[i].c_str());
    }
    const long long capacity = logo::NvCapacityBytes();
    const bool same = args.ifChanged && record->Fingerprint() == fingerprints.set;
    if (!Mode().json)
        std::printf("dry run: %zu logos, %lld of %lld bytes of NV memory, %s; nothing was sent%s\n",
                    entries.size(), total, capacity, fingerprints.set.c_str(),
                    same ? " (and an upload would send nothing: the printer's last confirmed upload "
                           "has this fingerprint)"
                         : "");
    JsonReport(Outcome::Done)
        .Set("dry_run", true)
        .Set("changed", !same)
        .Set("images", static_cast<long long>(entries.size()))
        .Set("nv_bytes", total)
        .Set("nv_capacity", capacity)
        .Set("fingerprint", fingerprints.set)
        .Set("logos", LogosJson(entries, rasters, fingerprints))
        .Print();
    return kExitOk;
}

int RunUpload(const ParsedOptions& options) {
    UploadArgs args;
    if (const int code = ParseArgs(options, args); code >= 0) return code;
    std::vector<logo::UploadEntry> entries;
    std::vector<InputFile> inputs;
    inputs.reserve(args.files.size());
    if (const int code = ListFiles(args, inputs, entries); code >= 0) return code;
    if (!args.outputFile.empty()) SetJsonTarget(FileTargetJson(args.outputFile));
    std::vector<logo::LogoRaster> rasters;
    if (const int code = convertAll(args, entries, rasters); code >= 0) return code;
    const LogoFingerprints fingerprints =
        FingerprintLogos(rasters, args.options.grayPrinting, args.options.starEmulation);
    // What korva knows of the printer's logos: compared with --if-changed, renewed after an upload.
    std::optional<LogoRecord> record;
    if (options.Has("port") && (!args.dryRun || args.ifChanged)) {
        record = LogoRecord::Of(args.connection, options);
        if (!record) return kExitUsage;
    }
    if (args.dryRun) return DryRun(args, record, entries, rasters, fingerprints);
    if (args.outputFile.empty())
        if (const int code = LockTarget(args.connection, options); code >= 0) return code;
    if (args.ifChanged && record->Fingerprint() == fingerprints.set) {
        Note("the printer's last confirmed upload has these logos (" + fingerprints.set +
             "); nothing was sent");
        JsonReport(Outcome::Done)
            .Set("changed", false)
            .Set("skipped", true)
            .Set("images", static_cast<long long>(entries.size()))
            .Set("fingerprint", fingerprints.set)
            .Set("logos", LogosJson(entries, rasters, fingerprints))
            .Print();
        return kExitOk;
    }

    const QJsonArray logos = LogosJson(entries, rasters, fingerprints);
    base::CErrorLog& log = base::ErrorLog();
    StderrMessages messages(!args.outputFile.empty());
    LogoConnection connection(args.connection, args.outputFile, log);
    logo::NvUploadSettings settings;
    settings.starEmulation = args.options.starEmulation;
    settings.grayPrinting = args.options.grayPrinting;
    settings.askConfirmation = false;
    settings.replyWaitMs = args.replyWaitMs;
    base::Clock& clock = connection.Clock();
    logo::NvUpload upload(connection.Stream(), clock, log, std::move(entries),
                          logo::MakeBitmapConverter(args.options), settings);
    std::string note;
    RunWithProgress(upload, clock, "cancelling: the images not yet sent go out empty", [&] {
        // A second Ctrl-C ends korva at once: it then says what the printer may hold.
        if (std::string now = upload.MayHoldText(); now != note) SetStopNote(note = now);
        return upload.Progress().status;
    });
    SetStopNote("");
    int code = ExitCodeOf(upload);
    // Silence after the last byte is the printer's, not a fault of the link.
    if (upload.Reason() == base::Reason::NoAnswer) SetReason(base::Reason::NoAnswer);
    if (!connection.FinishOutput(code == kExitOk) && code == kExitOk) code = kExitPrinter;
    code = OutputFileExit(code, args.outputFile);
    const logo::UploadProgress& p = upload.Progress();
    // A file cannot confirm anything: done into a file is sent, not confirmed.
    const bool checked = code == kExitOk;
    if (args.outputFile.empty()) {
        // Only the printer's word makes the record: else what it holds is not known.
        if (checked && upload.Confirmed()) record->Record(fingerprints.set);
        else if (p.bytesSent > 0) record->Forget();
    }
    if (checked) code = ConfirmedExit(options, code, upload.Confirmed());
    JsonReport report(code);
    report.Set("images", p.imagesToSend)
        .Set("images_begun", p.imagesBegun)
        .Set("bytes", static_cast<long long>(p.bytesSent))
        .Set("fingerprint", fingerprints.set)
        .Set("logos", logos);
    if (args.outputFile.empty()) report.Set("changed", p.bytesSent > 0);
    if (checked) report.Set("confirmed", upload.Confirmed());
    report.Print();
    return code;
}

const CommandRegistration kUpload{{
    {"logo", "upload"},
    "store bitmap files as NV logos in the printer",
    "(--port P [connection options] | --out OUT.prn)\n"
    "                         [--gray] [--threshold T] [--center[=N,...]]\n"
    "                         [--max-width W] [--star] [--dry-run] FILE.bmp...",
    "Stores the bitmap files in the printer's NV graphics memory as logos 1..n, in\n"
    "the order given (all at once: the logos stored before are replaced).\n"
    "Prints a fingerprint of the converted logos (and of each); after an upload\n"
    "the printer confirmed, korva records it for that printer in its state\n"
    "folder, and --if-changed skips an upload with the same fingerprint. An\n"
    "Ethernet printer is known by its MAC (a search sent to its address; it keeps\n"
    "its record at a new address), else by its address; a device by its path.\n"
    "The printer cannot list its logos: a change made behind korva's back\n"
    "(another tool, a reset) is not seen.",
    WithConnectionOptions(WithAddressSearchOptions({
        OutOption("write the byte stream to a file (- for standard output)\n"
                  "instead of a printer"),
        {"gray", 0, "", "4-bit gray images (not on KORVA10 printers)"},
        {"threshold", 0, "T", "black/white diverging point 0..255, default 128"},
        {"center", 0, "N,...", "centre the logos (or only logos N,...) in the maximum\n"
                               "printable width", {}, true, true},
        {"max-width", 0, "W", "maximum printable width in dots 1..512, default 512\n"
                              "(384 on KORVA10 printers); what --center centres in"},
        {"star", 0, "", "Star emulation: ESC in front of the command"},
        {"dry-run", 0, "", "convert every file and check the NV budget; nothing\n"
                           "is sent (no --port or --out needed)"},
        {"if-changed", 0, "",
         "send nothing when korva's record of this printer's last\n"
         "confirmed upload has the same fingerprint; a change made\n"
         "behind korva's back (another tool) is not seen"},
        CheckTimeoutOption(),
        RequireConfirmedOption(),
    })),
    RunUpload,
}};

}  // namespace
}  // namespace korva::cli

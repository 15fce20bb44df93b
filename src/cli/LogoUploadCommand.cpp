// korva logo upload: stores bitmap files as NV logos 1..n, with the bytes and
// pacing of the logo tool's Upload page.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "base/Messages.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/JsonReport.h"
#include "cli/LogoCommandSupport.h"
#include "cli/NumberText.h"
#include "cli/Output.h"
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
    int replyWaitMs = kCheckTimeoutMs;
};

bool parseCenterList(const std::string& text, std::vector<int>& out) {
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
int parseArgs(const ParsedOptions& options, UploadArgs& out) {
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
        else if (!parseCenterList(list, out.center))
            return UsageError("--center=N,... takes logo numbers 1..255 separated by commas");
    }
    const std::optional<int> timeout = TimeoutFromOptions(options, kCheckTimeoutMs, 1, 600000);
    if (!timeout) return kExitUsage;
    out.replyWaitMs = *timeout;
    if (options.Has("port") == options.Has("out")) return UsageError("give either --port or --out");
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
int listFiles(const UploadArgs& args, std::vector<logo::UploadEntry>& entries) {
    if (args.files.size() > logo::kMaxNvImages) {
        Error(base::Message(base::kMsgCantReadMoreFiles));
        return kExitBadInput;
    }
    const bool gray = args.options.grayPrinting;
    const int64_t capacity = int64_t{logo::kNvCapacityKB} * 1024;
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
        // Checked with the header's size, before a picture's pixels are unpacked.
        const logo::BitmapDecodeResult probe = logo::ProbeLogoFile(path, [&](int width, int height) {
            if (!logo::HeaderCanCarry(width, height, gray)) return std::string();
            const int64_t bytes = stored(width, height);
            return total + bytes > capacity ? overBudget(bytes) : std::string();
        });
        if (!probe.ok()) {
            Error(logo::DescribeRefusal(path, probe.error));
            return kExitBadInput;
        }
        const int64_t size = logo::NvImageBytes(probe.bitmap.width, probe.bitmap.height, gray);
        if (const int64_t bytes = stored(probe.bitmap.width, probe.bitmap.height); total + bytes > capacity) {
            Error(path + ": " + overBudget(bytes));
            return kExitBadInput;
        }
        total += stored(probe.bitmap.width, probe.bitmap.height);
        entries.push_back({number, std::filesystem::path(path).filename().string(), path,
                           static_cast<long>(size), center});
    }
    return -1;
}

int exitCodeOf(const logo::NvUpload& upload) {
    using Outcome = logo::NvUpload::Outcome;
    switch (upload.GetOutcome()) {
        case Outcome::Completed:
        case Outcome::Erased: return kExitOk;
        case Outcome::FileUnreadable:
        case Outcome::ImageTooLarge:
        case Outcome::NvAreaTooSmall: return kExitBadInput;
        case Outcome::Cancelled:
            Error("cancelled; the printer's definition was closed with empty images; " +
                  upload.HeldText());
            return StopExitCode();
        default: return kExitPrinter;
    }
}

int runUpload(const ParsedOptions& options) {
    UploadArgs args;
    if (const int code = parseArgs(options, args); code >= 0) return code;
    std::vector<logo::UploadEntry> entries;
    if (const int code = listFiles(args, entries); code >= 0) return code;

    base::CErrorLog& log = base::ErrorLog();
    StderrMessages messages(!args.outputFile.empty());
    LogoConnection connection(args.connection, OutputPath(args.outputFile), log);
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
    const int code = OutputFileExit(exitCodeOf(upload), args.outputFile);
    const logo::UploadProgress& p = upload.Progress();
    JsonReport(OutcomeOfExit(code))
        .Set("images", p.imagesToSend)
        .Set("images_begun", p.imagesBegun)
        .Set("bytes", static_cast<long long>(p.bytesSent))
        .Print();
    return code;
}

const CommandRegistration kUpload{{
    {"logo", "upload"},
    "store bitmap files as NV logos in the printer",
    "(--port P [connection options] | --out OUT.prn)\n"
    "                         [--gray] [--threshold T] [--center[=N,...]]\n"
    "                         [--max-width W] [--star] FILE.bmp...",
    "Stores the bitmap files in the printer's NV graphics memory as logos 1..n, in\n"
    "the order given (all at once: the logos stored before are replaced).",
    WithConnectionOptions({
        OutOption("write the byte stream to a file (- for standard output)\n"
                  "instead of a printer"),
        {"gray", 0, "", "4-bit gray images (not on KORVA10 printers)"},
        {"threshold", 0, "T", "black/white diverging point 0..255, default 128"},
        {"center", 0, "N,...", "centre the logos (or only logos N,...) in the maximum\n"
                               "printable width", {}, true, true},
        {"max-width", 0, "W", "maximum printable width in dots 1..512, default 512\n"
                              "(384 on KORVA10 printers)"},
        {"star", 0, "", "Star emulation: ESC in front of the command"},
        CheckTimeoutOption(),
    }),
    runUpload,
}};

}  // namespace
}  // namespace korva::cli

// korva logo upload: stores bitmap files as NV logos 1..n, with the bytes and
// pacing of the logo tool's Upload page.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ErrorLog.h"
#include "app/Messages.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/LogoCommandSupport.h"
#include "logo/LogoFile.h"
#include "logo/LogoGeometry.h"
#include "logo/NvDefinition.h"
#include "logo/NvUpload.h"
#include "logo/UploadConverter.h"
#include "port/DeviceType.h"

namespace korva::cli {
namespace {

constexpr const char* kUsage =
    "usage: korva logo upload (--port P [connection options] | --to-file OUT.prn)\n"
    "                         [--gray] [--threshold T] [--center N,...] [--max-width W]\n"
    "                         [--star] FILE.bmp...\n"
    "Stores the bitmap files in the printer's NV graphics memory as logos 1..n, in\n"
    "the order given (all at once: the logos stored before are replaced).\n\n"
    "  --to-file OUT.prn    write the byte stream to a file instead of a printer\n"
    "  --gray               4-bit gray images (not on KORVA10 printers)\n"
    "  --threshold T        black/white diverging point 0..255, default 128\n"
    "  --center N,...       centre logos N,... in the maximum printable width\n"
    "  --max-width W        maximum printable width in dots 1..512, default 512\n"
    "                       (384 on KORVA10 printers)\n"
    "  --star               Star emulation: ESC in front of the command\n"
    "  --json               print the result as one JSON object on stdout\n";

struct UploadArgs {
    port::ConnectionSettings connection;
    std::string outputFile;
    logo::LogoOptions options;
    std::vector<int> center;
    std::vector<std::string> files;
    bool json = false;
};

int usageError(const std::string& why) {
    std::fprintf(stderr, "korva logo upload: %s\n%s", why.c_str(), kUsage);
    return kExitUsage;
}

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
int parseArgs(const std::vector<std::string>& args, UploadArgs& out) {
    const port::ConnectionArgs conn = ParseConnectionOptions(args, false);
    if (!conn.error.empty()) return usageError(conn.error);
    out.connection = conn.settings;
    const std::vector<std::string>& rest = conn.rest;
    bool widthGiven = false;
    for (size_t i = 0; i < rest.size(); ++i) {
        std::string value;
        bool missing = false;
        const std::string& arg = rest[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs(kConnectionOptionsHelp, stdout);
            return kExitOk;
        } else if (arg == "--gray") {
            out.options.grayPrinting = true;
        } else if (arg == "--star") {
            out.options.starEmulation = true;
        } else if (arg == "--json") {
            out.json = true;
        } else if (TakeValue(rest, i, "--threshold", value, missing)) {
            if (missing || !ParseNumber(value, 0, 255, out.options.threshold))
                return usageError("--threshold takes a number 0..255");
        } else if (TakeValue(rest, i, "--max-width", value, missing)) {
            if (missing || !ParseNumber(value, 1, 512, out.options.maxPrintableWidth))
                return usageError("--max-width takes a number of dots 1..512");
            widthGiven = true;
        } else if (TakeValue(rest, i, "--center", value, missing)) {
            if (missing || !parseCenterList(value, out.center))
                return usageError("--center takes logo numbers 1..255 separated by commas");
        } else if (TakeValue(rest, i, "--to-file", value, missing)) {
            if (missing || value.empty()) return usageError("--to-file takes a file name");
            out.outputFile = value;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else {
            out.files.push_back(arg);
        }
    }
    if (conn.portGiven == !out.outputFile.empty())
        return usageError("give either --port or --to-file");
    if (out.files.empty()) return usageError("no bitmap files given (korva logo erase erases)");
    const bool korva10 = out.connection.deviceType == port::kDeviceTypeKorva10;
    if (korva10 && out.options.grayPrinting)
        return usageError("gray printing is not available on KORVA10 printers");
    if (korva10 && !widthGiven) out.options.maxPrintableWidth = 384;
    for (int n : out.center)
        if (n > static_cast<int>(out.files.size()))
            return usageError("--center names logo " + std::to_string(n) + ", but only " +
                              std::to_string(out.files.size()) + " files are given");
    return -1;
}

/// Lists the files as logos 1..n with the logo list's limits: 255 files and
/// the NV capacity. Returns an exit code on refusal, else -1.
int listFiles(const UploadArgs& args, std::vector<logo::UploadEntry>& entries) {
    if (args.files.size() > logo::kMaxNvImages) {
        std::fprintf(stderr, "korva: %s\n", app::Message(app::kMsgCantReadMoreFiles));
        return kExitBadInput;
    }
    int64_t total = 0;
    for (size_t i = 0; i < args.files.size(); ++i) {
        const std::string& path = args.files[i];
        const logo::BitmapDecodeResult probe = logo::ProbeLogoFile(path);
        if (!probe.ok()) {
            std::fprintf(stderr, "korva: %s: %s\n", path.c_str(), probe.error.reason.c_str());
            return kExitBadInput;
        }
        const int64_t size = logo::NvImageBytes(probe.bitmap.width, probe.bitmap.height,
                                                args.options.grayPrinting);
        total += size;
        if (total > int64_t{logo::kNvCapacityKB} * 1024) {
            std::fprintf(stderr, "korva: %s: %s (%lld bytes of %d KB)\n", path.c_str(),
                         app::Message(app::kMsgNvAreaTooSmall), static_cast<long long>(total),
                         logo::kNvCapacityKB);
            return kExitBadInput;
        }
        const int number = static_cast<int>(i) + 1;
        bool center = false;
        for (int n : args.center) center = center || n == number;
        entries.push_back({number, std::filesystem::path(path).filename().string(), path,
                           static_cast<long>(size), center});
    }
    return -1;
}

const char* outcomeName(logo::NvUpload::Outcome outcome) {
    using Outcome = logo::NvUpload::Outcome;
    switch (outcome) {
        case Outcome::None: return "none";
        case Outcome::Completed: return "completed";
        case Outcome::Erased: return "erased";
        case Outcome::Cancelled: return "cancelled";
        case Outcome::Declined: return "declined";
        case Outcome::FileUnreadable: return "file-unreadable";
        case Outcome::ImageTooLarge:
            return "image-too-large";
        case Outcome::NvAreaTooSmall:
            return "nv-area-too-small";
        case Outcome::Abandoned:
            return "abandoned";
        case Outcome::PortOpenFailed: return "port-open-failed";
        case Outcome::WriteFailed: return "write-failed";
        case Outcome::PrinterCheckFailed: return "printer-check-failed";
        case Outcome::CommunicationError: return "communication-error";
    }
    return "none";
}

int exitCodeOf(const logo::NvUpload& upload) {
    using Outcome = logo::NvUpload::Outcome;
    switch (upload.GetOutcome()) {
        case Outcome::Completed:
        case Outcome::Erased: return kExitOk;
        case Outcome::FileUnreadable:
        case Outcome::ImageTooLarge:
        case Outcome::NvAreaTooSmall:
            return kExitBadInput;
        case Outcome::Cancelled:
            std::fprintf(stderr, "korva: cancelled; %s\n", upload.HeldText().c_str());
            return kExitPrinter;
        case Outcome::Abandoned:
            std::fprintf(stderr, "korva: stopped at once; %s\n", upload.HeldText().c_str());
            return kExitPrinter;
        default: return kExitPrinter;
    }
}

int runUpload(const std::vector<std::string>& argv) {
    UploadArgs args;
    if (const int code = parseArgs(argv, args); code >= 0) return code;
    std::vector<logo::UploadEntry> entries;
    if (const int code = listFiles(args, entries); code >= 0) return code;

    app::CErrorLog log;
    StderrMessages messages;
    InterruptWatch interrupt;
    LogoConnection connection(args.connection, args.outputFile, log);
    logo::NvUploadSettings settings;
    settings.starEmulation = args.options.starEmulation;
    settings.grayPrinting = args.options.grayPrinting;
    settings.askConfirmation = false;
    app::Clock& clock = connection.Clock();
    logo::NvUpload upload(connection.Stream(), clock, log, std::move(entries),
                          logo::MakeBitmapConverter(args.options), settings);
    RunWithProgress(upload, clock, interrupt, [&] { return upload.Progress().status; });
    if (args.json) {
        const logo::UploadProgress& p = upload.Progress();
        std::printf("{\"outcome\":\"%s\",\"images\":%d,\"images_begun\":%d,\"bytes\":%ld}\n",
                    outcomeName(upload.GetOutcome()), p.imagesToSend, p.imagesBegun, p.bytesSent);
    }
    return exitCodeOf(upload);
}

const CommandRegistration kUpload{{
    {"logo", "upload"},
    "store bitmap files as NV logos in the printer",
    runUpload,
}};

}  // namespace
}  // namespace korva::cli

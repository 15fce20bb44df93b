// korva firmware download: writes one area of a firmware image into the
// printer, with the packets, pacing and answers of the firmware dialogs.
// The series follows the device type: 2 (KORVA10) the older loader, else the newer.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "base/MessageBox.h"
#include "base/Messages.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/JsonReport.h"
#include "cli/LogoCommandSupport.h"
#include "cli/Output.h"
#include "cli/Signals.h"
#include "firmware/FirmwareTexts.h"
#include "firmware/ImageFile.h"
#include "firmware/NewDownload.h"
#include "firmware/NewImage.h"
#include "firmware/OldDownload.h"
#include "port/DeviceType.h"
#include "port/Ports.h"

namespace korva::cli {
namespace {

using namespace korva::firmware;

struct DownloadArgs {
    port::ConnectionSettings connection;
    std::string area;
    std::string file;
    bool yes = false;
    int answerTimeoutMs = 5000;
};

/// Returns an exit code when parsing ends the command, else -1.
int parseArgs(const ParsedOptions& options, DownloadArgs& out) {
    // The series decides the protocol and the image check: never guessed.
    const std::optional<port::ConnectionSettings> connection =
        ConnectionFromOptions(options, true, ModelRule::Required);
    if (!connection) return kExitUsage;
    out.connection = *connection;
    out.yes = options.Has("yes");
    out.area = options.Get("area");
    const std::optional<int> timeout = TimeoutFromOptions(options, 5000, 1, 3600000);
    if (!timeout) return kExitUsage;
    out.answerTimeoutMs = *timeout;
    if (options.Has("area") && out.area != "program" && out.area != "boot" && out.area != "downloader" &&
        out.area != "font")
        return UsageError("--area takes program, boot, downloader or font");
    if (options.Operands().size() > 1) return UsageError("one file at a time");
    if (out.area.empty()) return UsageError("--area is required");
    if (options.Operands().empty()) return UsageError("no firmware file given");
    out.file = options.Operands()[0];
    if (out.connection.deviceType == port::kDeviceTypeKorva10 && out.area == "downloader")
        return UsageError("KORVA10 printers have no downloader area");
    // The newer series' firmware tool offers no extended font download.
    if (out.connection.deviceType != port::kDeviceTypeKorva10 && out.area == "font")
        return UsageError("only KORVA10 printers (--device-type 2) take a font area");
    return -1;
}

/// A newer-series image made for another series is a model mismatch, told
/// before the port is touched. Returns an exit code, or -1 to go on.
int checkImageSeries(const DownloadArgs& args) {
    if (args.connection.deviceType == port::kDeviceTypeKorva10) return -1;
    const ImageFile file = ReadImageFile(args.file, kNewImageSize2M, true);
    if (file.status != ImageFile::Status::Ok || !IsNewImageSize(file.size)) return -1;
    const NewSignature signature = ReadNewSignature(file.bytes);
    if (signature == NewSignature::None || SignatureFitsDeviceType(signature, args.connection.deviceType))
        return -1;
    const bool korva20 = args.connection.deviceType == port::kDeviceTypeKorva20;
    return UsageError(args.file + " is a " + NewSignatureText(signature) + " image for " +
                      (korva20 ? "KORVA20II printers" : "KORVA20 printers") + ", but the model is a " +
                      (korva20 ? "KORVA20" : "KORVA20II") + "; nothing was sent");
}

/// Boxes go to stderr; the area questions are answered by --yes only.
class CommandLineMessages {
public:
    explicit CommandLineMessages(bool yes) {
        base::SetMessageHandler([yes, this](const std::string& text, const std::string&, base::MsgStyle style) {
            ProgressLine::FinishActive();
            std::string plain;
            for (char c : text) plain += c == '\r' ? ' ' : c;
            const bool question = style == base::MsgStyle::YesNo || style == base::MsgStyle::YesNoQuestion;
            if ((question && yes) || IsSuccessNotice(text)) {
                Note(plain);
                return question ? base::MsgAnswer::Yes : base::MsgAnswer::Ok;
            }
            Error(plain);
            if (!question) return base::MsgAnswer::Ok;
            Error("not confirmed; give --yes to download this area");
            m_Declined = true;
            return yes ? base::MsgAnswer::Yes : base::MsgAnswer::No;
        });
    }
    ~CommandLineMessages() { base::SetMessageHandler({}); }
    CommandLineMessages(const CommandLineMessages&) = delete;
    CommandLineMessages& operator=(const CommandLineMessages&) = delete;
    bool Declined() const { return m_Declined; }

private:
    bool m_Declined = false;
};

std::string fileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

int runNewer(const DownloadArgs& args, LogoConnection& connection, base::CErrorLog& log) {
    NewDownloadSettings settings;
    settings.path = args.file;
    settings.fileName = fileNameOf(args.file);
    settings.area = args.area == "boot"         ? NewArea::Boot
                    : args.area == "downloader" ? NewArea::Downloader
                    : args.area == "font"       ? NewArea::ExtFont
                                                : NewArea::Program;
    settings.deviceType = args.connection.deviceType;
    CommandLineMessages messages(args.yes);
    NewFirmwareDownload engine(connection.Stream(), log, settings);
    using State = NewFirmwareDownload::State;
    // Until the packet starts a signal stops the download with the printer
    // unchanged; from then on the loader has it and it runs to its end.
    StopScope stop(StopMode::AtSafePoint, "stopping before the firmware packet is sent");
    ProgressLine line;
    bool packetStarted = false;
    for (;;) {
        if (!packetStarted && StopRequested()) break;
        const int wait = engine.Step();
        if (!packetStarted && engine.GetState() >= State::Sending) {
            packetStarted = true;
            stop.Change(StopMode::Unstoppable,
                        "the firmware packet is already in the printer's hands and cannot be "
                        "stopped; waiting for the download to end");
        }
        const NewDownloadProgress& p = engine.Progress();
        if (p.transferring) {
            const bool settling = engine.GetState() == State::Settling;
            line.Show((settling ? "Writing flash - " : "Downloading - ") + std::to_string(p.percent) + " %");
        }
        if (wait == base::kStepDone) break;
        if (wait > 0) connection.Clock().SleepMs(wait);
    }
    line.Finish();
    using Outcome = NewFirmwareDownload::Outcome;
    const Outcome outcome = engine.GetOutcome();
    int code = kExitPrinter;
    if (!engine.IsDone()) {
        Error("cancelled before the firmware packet was sent; the printer is unchanged");
        code = StopExitCode();
    } else {
        switch (outcome) {
            case Outcome::Completed: code = kExitOk; break;
            case Outcome::Declined: code = kExitUsage; break;
            case Outcome::FileOpenFailed:
            case Outcome::SizeWrong:
            case Outcome::FileReadFailed:
            case Outcome::NotFirmware:
            case Outcome::NoExtFont:
            case Outcome::OutOfMemory: code = kExitBadInput; break;
            default: break;
        }
    }
    JsonReport(OutcomeOfExit(code))
        .Set("series", "new")
        .Set("area", args.area)
        .Set("bytes", engine.Progress().bytesSent)
        .Set("checksum", engine.Progress().checksumText)
        .Print();
    return code;
}

/// What the printer holds after the older series' download stopped early.
std::string olderStopText(const std::string& area, bool erased) {
    if (!erased) return "nothing was erased or sent; the printer is unchanged";
    return area + " area erased; the printer will not start until a download completes";
}

int runOlder(const DownloadArgs& args, LogoConnection& connection, base::CErrorLog& log) {
    // The loader's answers are read by the watch thread, and its line runs
    // without flow control whatever the settings said.
    if (auto* ports = dynamic_cast<port::CPorts*>(&connection.Stream())) {
        ports->m_CurrentTool = port::kToolFirmware;
        ports->m_FlowControl = port::kFlowNone;
    }
    OldDownloadSettings settings;
    settings.path = args.file;
    settings.fileName = fileNameOf(args.file);
    settings.area = args.area == "boot" ? OldArea::Boot : args.area == "font" ? OldArea::Font : OldArea::Program;
    settings.answerTimeoutMs = args.answerTimeoutMs;
    CommandLineMessages messages(args.yes);
    OldFirmwareDownload engine(connection.Stream(), connection.Clock(), log, settings);
    using State = OldFirmwareDownload::State;
    bool erased = false;
    RunWithProgress(engine, connection.Clock(), "stopping after the block being sent", [&] {
        erased = erased || engine.GetState() >= State::Erasing;
        return engine.Progress().caption;
    });
    using Outcome = OldFirmwareDownload::Outcome;
    const Outcome outcome = engine.GetOutcome();
    const OldDownloadProgress& p = engine.Progress();
    int code = kExitPrinter;
    switch (outcome) {
        case Outcome::Completed: code = kExitOk; break;
        case Outcome::FileOpenFailed:
        case Outcome::NoExtFont:
        case Outcome::ImageTooShort: code = kExitBadInput; break;
        case Outcome::Cancelled:
            Error("cancelled: " + olderStopText(args.area, erased));
            code = StopExitCode();
            break;
        default:
            if (erased) Error(olderStopText(args.area, erased));
            break;
    }
    JsonReport(OutcomeOfExit(code))
        .Set("series", "old")
        .Set("area", args.area)
        .Set("bytes", p.position > p.start ? p.position - p.start : 0u)
        .Set("resends", p.resends)
        .Set("erased", erased)
        .Print();
    return code;
}

int runDownload(const ParsedOptions& options) {
    DownloadArgs args;
    if (const int code = parseArgs(options, args); code >= 0) return code;
    // A missing or unreadable file is told before any port is touched.
    uint64_t size = 0;
    if (!ImageFileSize(args.file, size)) {
        Error(args.file + ": " +
              (args.connection.deviceType == port::kDeviceTypeKorva10 ? base::Message(base::kMsgFileOpenError)
                                                                       : kTextFileOpen));
        return kExitBadInput;
    }
    if (const int code = checkImageSeries(args); code >= 0) return code;
    base::CErrorLog& log = base::ErrorLog();
    LogoConnection connection(args.connection, "", log);
    return args.connection.deviceType == port::kDeviceTypeKorva10 ? runOlder(args, connection, log)
                                                                  : runNewer(args, connection, log);
}

const CommandRegistration kDownload{{
    {"firmware", "download"},
    "write one area of a firmware image into the printer",
    "--port P --model NAME [connection options]\n"
    "                               --area program|boot|downloader|font FILE [--yes]",
    "Writes one area of a firmware image into the printer. The model (or device\n"
    "type) is required: KORVA10 printers take raw .bin images, the others .K20\n"
    "images of their own series.",
    WithConnectionOptions({
        {"area", 0, "A", "program, boot (boot loader), downloader (newer\n"
                         "series only) or font (KORVA10 printers only)"},
        {"yes", 'y', "", "answer the boot, downloader and font questions Yes"},
        TimeoutOption("older series: give up when the printer has not\n"
                      "answered for MS milliseconds, default 5000"),
    }),
    runDownload,
}};

}  // namespace
}  // namespace korva::cli

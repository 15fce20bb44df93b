// korva firmware download: writes one area of a firmware image into the
// printer, with the packets, pacing and answers of the firmware dialogs.
// The series follows the device type: 2 (KORVA10) the older loader, else the newer.
#include <algorithm>
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
#include "cli/InputFile.h"
#include "cli/InputKinds.h"
#include "cli/JsonReport.h"
#include "cli/LogoCommandSupport.h"
#include "cli/Output.h"
#include "cli/RunReason.h"
#include "cli/Signals.h"
#include "cli/TargetLock.h"
#include "firmware/FirmwareTexts.h"
#include "firmware/ImageFile.h"
#include "firmware/NewDownload.h"
#include "firmware/NewImage.h"
#include "firmware/OldDownload.h"
#include "firmware/OldImage.h"
#include "firmware/RefusalText.h"
#include "port/DeviceType.h"
#include "port/Ports.h"

namespace korva::cli {
namespace {

using namespace korva::firmware;

struct DownloadArgs {
    port::ConnectionSettings connection;
    std::string area;
    std::string file;      ///< where the image's bytes are read
    std::string fileName;  ///< the file as given, for messages
    bool yes = false;
    bool dryRun = false;
    int answerTimeoutMs = 5000;
};

/// Returns an exit code when parsing ends the command, else -1.
int ParseArgs(const ParsedOptions& options, DownloadArgs& out) {
    // The series decides the protocol and the image check: never guessed.
    // A dry run touches no port: it may name none.
    out.dryRun = options.Has("dry-run");
    const std::optional<port::ConnectionSettings> connection =
        ConnectionFromOptions(options, !out.dryRun, ModelRule::Required);
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
    // As the newer series asks before its boot area, the older one's boot
    // and font areas are written only when the command line said so.
    if (out.connection.deviceType == port::kDeviceTypeKorva10 && !out.yes && !out.dryRun &&
        (out.area == "boot" || out.area == "font"))
        return UsageError("writing the KORVA10 " + out.area +
                          " area can leave the printer unable to start; give --yes to download it");
    // The newer series' firmware tool offers no extended font download.
    if (out.connection.deviceType != port::kDeviceTypeKorva10 && out.area == "font")
        return UsageError("only KORVA10 printers (--device-type 2) take a font area");
    return -1;
}

/// A newer-series image made for another series is a model mismatch, told
/// before the port is touched. Returns an exit code, or -1 to go on.
int CheckImageSeries(const DownloadArgs& args) {
    if (args.connection.deviceType == port::kDeviceTypeKorva10) return -1;
    const ImageFile file = ReadImageFile(args.file, kNewImageSize2M, true);
    if (file.status != ImageFile::Status::Ok || !IsNewImageSize(file.size)) return -1;
    const NewSignature signature = ReadNewSignature(file.bytes);
    if (signature == NewSignature::None || SignatureFitsDeviceType(signature, args.connection.deviceType))
        return -1;
    SetReason(base::Reason::ModelMismatch, Subject::File, args.fileName);
    return UsageError(args.fileName + " " + NewImageMismatch(file.bytes, args.connection.deviceType) +
                      "; nothing was sent");
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

std::string fileNameOf(const std::string& path) {
    return path == "standard input" ? path : std::filesystem::path(path).filename().string();
}

int RunNewer(const DownloadArgs& args, LogoConnection& connection, base::CErrorLog& log) {
    NewDownloadSettings settings;
    settings.path = args.file;
    settings.fileName = fileNameOf(args.fileName);
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
                        "stopped; waiting for the download to end (or for a printer that "
                        "stopped taking it to be given up)");
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
    } else if (engine.Reason() == base::Reason::Cancelled && outcome != Outcome::Declined) {
        // A signal gave up a transfer the printer had stopped taking.
        SetReason(base::Reason::Cancelled);
        code = StopExitCode();
    } else {
        switch (outcome) {
            case Outcome::Completed: code = kExitOk; break;
            case Outcome::Declined: code = kExitUsage; break;
            case Outcome::FileOpenFailed:
            case Outcome::FileReadFailed:
                SetReason(base::Reason::FileIo, Subject::File, args.fileName);
                code = kExitBadInput;
                break;
            case Outcome::SizeWrong:
            case Outcome::NotFirmware:
            case Outcome::NoExtFont:
                SetReason(base::Reason::BadInput, Subject::File, args.fileName);
                code = kExitBadInput;
                break;
            case Outcome::OutOfMemory: code = kExitBadInput; break;
            case Outcome::PrinterNotReady: SetReason(base::Reason::Stalled, Subject::Port, args.connection.portName); break;
            default: break;
        }
    }
    JsonReport(code)
        .Set("series", "new")
        .Set("area", args.area)
        .Set("bytes", engine.Progress().bytesSent)
        .Set("checksum", engine.Progress().checksumText)
        // Firmware is always written whole: any byte sent may have changed the printer.
        .Set("changed", engine.Progress().bytesSent > 0)
        .Print();
    return code;
}

int RunOlder(const DownloadArgs& args, LogoConnection& connection, base::CErrorLog& log) {
    // The loader's answers are read by the watch thread, and its line runs
    // without flow control whatever the settings said.
    if (auto* ports = dynamic_cast<port::CPorts*>(&connection.Stream())) {
        ports->m_CurrentTool = port::kToolFirmware;
        ports->m_FlowControl = port::kFlowNone;
    }
    OldDownloadSettings settings;
    settings.path = args.file;
    settings.fileName = fileNameOf(args.fileName);
    settings.area = args.area == "boot" ? OldArea::Boot : args.area == "font" ? OldArea::Font : OldArea::Program;
    settings.answerTimeoutMs = args.answerTimeoutMs;
    CommandLineMessages messages(args.yes);
    OldFirmwareDownload engine(connection.Stream(), connection.Clock(), log, settings);
    RunWithProgress(engine, connection.Clock(), "stopping after the block being sent",
                    [&] { return engine.Progress().caption; });
    const OldErase erase = engine.Erase();
    using Outcome = OldFirmwareDownload::Outcome;
    const Outcome outcome = engine.GetOutcome();
    const OldDownloadProgress& p = engine.Progress();
    int code = kExitPrinter;
    switch (outcome) {
        case Outcome::Completed: code = kExitOk; break;
        case Outcome::FileOpenFailed:
            SetReason(base::Reason::FileIo, Subject::File, args.fileName);
            Error(OldStopText(args.area, erase));
            code = kExitBadInput;
            break;
        case Outcome::NoExtFont:
        case Outcome::ImageTooShort:
            SetReason(base::Reason::BadInput, Subject::File, args.fileName);
            Error(OldStopText(args.area, erase));
            code = kExitBadInput;
            break;
        case Outcome::Cancelled:
            Error("cancelled: " + OldStopText(args.area, erase));
            code = StopExitCode();
            break;
        case Outcome::NoAnswer: SetReason(base::Reason::NoAnswer); [[fallthrough]];
        default:
            Error(OldStopText(args.area, erase));
            break;
    }
    JsonReport(code)
        .Set("series", "old")
        .Set("area", args.area)
        .Set("bytes", p.position > p.start ? p.position - p.start : 0u)
        .Set("resends", p.resends)
        .Set("erased", erase == OldErase::Erased)
        .Set("erase_sent", erase != OldErase::NotSent)
        .Set("changed", erase != OldErase::NotSent)
        .Print();
    return code;
}

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}

/// --dry-run: the image checked as the download would check it, the area
/// and the packet shown; no port is opened.
int DryRun(const DownloadArgs& args, const std::vector<uint8_t>& image) {
    const auto refuse = [&](base::Reason reason, const std::string& why) {
        SetReason(reason, Subject::File, args.fileName);
        Error(args.fileName + ": " + why + "; nothing was sent");
        return kExitBadInput;
    };
    if (args.connection.deviceType == port::kDeviceTypeKorva10) {
        const OldArea area = args.area == "boot" ? OldArea::Boot : args.area == "font" ? OldArea::Font
                                                                                         : OldArea::Program;
        switch (CheckOldImage(image, area)) {
            case OldImageError::None: break;
            case OldImageError::NoExtFont: return refuse(base::Reason::BadInput, base::Message(base::kMsgNoExtFontData));
            case OldImageError::TooShort: return refuse(base::Reason::BadInput, "the file ends before the " + args.area + " area");
        }
        const OldAreaInfo& info = OldAreaOf(area);
        const uint32_t blocks = (info.end - info.start + kOldBlockSize - 1) / kOldBlockSize;
        const std::vector<uint8_t> erase = EncodeOldErasePacket(area);
        if (!Mode().json)
            std::printf("dry run: %s area %s-%s of %s, erase packet of %zu bytes, then %u blocks of "
                        "%u bytes; nothing was sent\n",
                        args.area.c_str(), hex(info.start).c_str(), hex(info.end).c_str(),
                        args.fileName.c_str(), erase.size(), blocks, kOldBlockSize);
        JsonReport(Outcome::Done)
            .Set("dry_run", true)
            .Set("changed", true)  // a real run always writes the firmware
            .Set("series", "old")
            .Set("area", args.area)
            .Set("start", hex(info.start))
            .Set("end", hex(info.end))
            .Set("blocks", static_cast<long long>(blocks))
            .Set("bytes", static_cast<long long>(info.end - info.start))
            .Print();
        return kExitOk;
    }
    const NewArea area = args.area == "boot"         ? NewArea::Boot
                         : args.area == "downloader" ? NewArea::Downloader
                                                     : NewArea::Program;
    if (!IsNewImageSize(image.size()))
        return refuse(base::Reason::BadInput,
                      std::string(kTextFileSizeNotCorrect) + " " + NewImageSizeMismatch(image.size()));
    const NewPacketResult packet = BuildNewDownloadPacket(image, args.connection.deviceType, area);
    switch (packet.error) {
        case NewImageError::None: break;
        case NewImageError::SizeWrong: return refuse(base::Reason::BadInput, kTextFileSizeNotCorrect);
        case NewImageError::NotFirmware: return refuse(base::Reason::BadInput, base::Message(base::kMsgNotFirmwareFile));
        case NewImageError::NoExtFont: return refuse(base::Reason::BadInput, "the image has no extended font");
    }
    const std::string checksum = hex(packet.packet.checksum);
    if (!Mode().json)
        std::printf("dry run: %s area of %s (%s), packet of %zu bytes, checksum %s; nothing was sent\n",
                    args.area.c_str(), args.fileName.c_str(), NewSignatureText(packet.packet.signature),
                    packet.packet.bytes.size(), checksum.c_str());
    JsonReport(Outcome::Done)
        .Set("dry_run", true)
        .Set("changed", true)  // a real run always writes the firmware
        .Set("series", "new")
        .Set("area", args.area)
        .Set("signature", NewSignatureText(packet.packet.signature))
        .Set("bytes", static_cast<long long>(packet.packet.bytes.size()))
        .Set("checksum", checksum)
        .Print();
    return kExitOk;
}

int RunDownload(const ParsedOptions& options) {
    DownloadArgs args;
    if (const int code = ParseArgs(options, args); code >= 0) return code;
    // A missing or unreadable file is told before any port is touched; the
    // engine reads the copy taken here (a FIFO can be read only once).
    InputFile input;
    if (!input.Read(args.file, FirmwareInput())) return kExitBadInput;
    const std::string name = input.Name();
    args.file = input.Path();
    if (args.file.empty()) return kExitBadInput;
    args.fileName = name;
    if (args.dryRun) {
        if (const int code = CheckImageSeries(args); code >= 0) return code;
        return DryRun(args, input.Bytes());
    }
    if (const int code = CheckImageSeries(args); code >= 0) return code;
    if (const int code = LockTarget(args.connection, options); code >= 0) return code;
    base::CErrorLog& log = base::ErrorLog();
    LogoConnection connection(args.connection, "", log);
    return args.connection.deviceType == port::kDeviceTypeKorva10 ? RunOlder(args, connection, log)
                                                                  : RunNewer(args, connection, log);
}

const CommandRegistration kDownload{{
    {"firmware", "download"},
    "write one area of a firmware image into the printer",
    "--port P --model NAME [connection options]\n"
    "                               --area program|boot|downloader|font FILE [--yes]\n"
    "                               [--dry-run]",
    "Writes one area of a firmware image into the printer. The model (or device\n"
    "type) is required: KORVA10 printers take raw .bin images, the others .K20\n"
    "images of their own series.",
    WithConnectionOptions({
        {"area", 0, "A", "program, boot (boot loader), downloader (newer\n"
                         "series only) or font (KORVA10 printers only)"},
        {"dry-run", 0, "", "check the image and show the area and the packet;\n"
                           "nothing is sent (no --port needed)"},
        {"yes", 'y', "", "download the boot area, the downloader (newer series)\n"
                         "or the font area (KORVA10) without asking"},
        TimeoutOption("older series: give up when the printer has not\n"
                      "answered for MS milliseconds, default 5000"),
    }),
    RunDownload,
}};

}  // namespace
}  // namespace korva::cli

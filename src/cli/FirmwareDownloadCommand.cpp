// korva firmware download: writes one area of a firmware image into the
// printer, with the packets, pacing and answers of the firmware dialogs.
// The series follows the device type: 2 (KORVA10) the older loader, else the newer.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ErrorLog.h"
#include "app/MessageBox.h"
#include "app/Messages.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/LogoCommandSupport.h"
#include "firmware/FirmwareTexts.h"
#include "firmware/ImageFile.h"
#include "firmware/NewDownload.h"
#include "firmware/OldDownload.h"
#include "port/DeviceType.h"
#include "port/Ports.h"

namespace korva::cli {
namespace {

using namespace korva::firmware;

constexpr const char* kUsage =
    "usage: korva firmware download --port P [connection options]\n"
    "                               --area program|boot|downloader|font FILE [--yes]\n"
    "Writes one area of a firmware image into the printer. KORVA10 printers\n"
    "(--device-type 2) take raw .bin images, the others .K20 images.\n\n"
    "  --area A             program, boot (boot loader), downloader (newer series\n"
    "                       only) or font (KORVA10 printers only)\n"
    "  --yes                answer the boot, downloader and font questions Yes\n"
    "  --answer-timeout MS  older series: give up when the printer has not\n"
    "                       answered for MS milliseconds, default 5000\n"
    "  --json               print the result as one JSON object on stdout\n";

struct DownloadArgs {
    port::ConnectionSettings connection;
    std::string area;
    std::string file;
    bool yes = false;
    bool json = false;
    int answerTimeoutMs = 5000;
};

int usageError(const std::string& why) {
    std::fprintf(stderr, "korva firmware download: %s\n%s", why.c_str(), kUsage);
    return kExitUsage;
}

/// Returns an exit code when parsing ends the command, else -1.
int parseArgs(const std::vector<std::string>& args, DownloadArgs& out) {
    const port::ConnectionArgs conn = ParseConnectionOptions(args, false);
    if (!conn.error.empty()) return usageError(conn.error);
    out.connection = conn.settings;
    for (size_t i = 0; i < conn.rest.size(); ++i) {
        std::string value;
        bool missing = false;
        const std::string& arg = conn.rest[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs(kConnectionOptionsHelp, stdout);
            return kExitOk;
        } else if (arg == "--yes") {
            out.yes = true;
        } else if (arg == "--json") {
            out.json = true;
        } else if (TakeValue(conn.rest, i, "--area", value, missing)) {
            if (missing || (value != "program" && value != "boot" && value != "downloader" && value != "font"))
                return usageError("--area takes program, boot, downloader or font");
            out.area = value;
        } else if (TakeValue(conn.rest, i, "--answer-timeout", value, missing)) {
            if (missing || !ParseNumber(value, 1, 3600000, out.answerTimeoutMs))
                return usageError("--answer-timeout takes milliseconds 1..3600000");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else if (!out.file.empty()) {
            return usageError("one file at a time");
        } else {
            out.file = arg;
        }
    }
    if (!conn.portGiven) return usageError("--port is required");
    if (out.area.empty()) return usageError("--area is required");
    if (out.file.empty()) return usageError("no firmware file given");
    if (out.connection.deviceType == port::kDeviceTypeKorva10 && out.area == "downloader")
        return usageError("KORVA10 printers have no downloader area");
    // The newer series' firmware tool offers no extended font download.
    if (out.connection.deviceType != port::kDeviceTypeKorva10 && out.area == "font")
        return usageError("only KORVA10 printers (--device-type 2) take a font area");
    return -1;
}

/// Boxes go to stderr; the area questions are answered by --yes only.
class CommandLineMessages {
public:
    explicit CommandLineMessages(bool yes) {
        app::SetMessageHandler([yes, this](const std::string& text, const std::string&, app::MsgStyle style) {
            ProgressLine::FinishActive();
            std::string plain;
            for (char c : text) plain += c == '\r' ? ' ' : c;
            std::fprintf(stderr, "korva: %s\n", plain.c_str());
            if (style != app::MsgStyle::YesNo && style != app::MsgStyle::YesNoQuestion) return app::MsgAnswer::Ok;
            if (!yes) {
                std::fprintf(stderr, "korva: not confirmed; give --yes to download this area\n");
                m_Declined = true;
            }
            return yes ? app::MsgAnswer::Yes : app::MsgAnswer::No;
        });
    }
    ~CommandLineMessages() { app::SetMessageHandler({}); }
    CommandLineMessages(const CommandLineMessages&) = delete;
    CommandLineMessages& operator=(const CommandLineMessages&) = delete;
    bool Declined() const { return m_Declined; }

private:
    bool m_Declined = false;
};

const char* outcomeName(NewFirmwareDownload::Outcome outcome) {
    using Outcome = NewFirmwareDownload::Outcome;
    switch (outcome) {
        case Outcome::None: return "none";
        case Outcome::Completed: return "completed";
        case Outcome::Declined: return "declined";
        case Outcome::PortOpenFailed: return "port-open-failed";
        case Outcome::FileOpenFailed: return "file-open-failed";
        case Outcome::SizeWrong: return "size-wrong";
        case Outcome::OutOfMemory: return "out-of-memory";
        case Outcome::FileReadFailed: return "file-read-failed";
        case Outcome::NotFirmware: return "not-firmware";
        case Outcome::NoExtFont: return "no-ext-font";
        case Outcome::PrinterNotReady: return "printer-not-ready";
        case Outcome::WriteFailed: return "write-failed";
        case Outcome::PrinterCheckFailed: return "printer-check-failed";
    }
    return "none";
}

const char* outcomeName(OldFirmwareDownload::Outcome outcome) {
    using Outcome = OldFirmwareDownload::Outcome;
    switch (outcome) {
        case Outcome::None: return "none";
        case Outcome::Completed: return "completed";
        case Outcome::Cancelled: return "cancelled";
        case Outcome::PortOpenFailed: return "port-open-failed";
        case Outcome::FileOpenFailed: return "file-open-failed";
        case Outcome::NoExtFont: return "no-ext-font";
        case Outcome::ImageTooShort: return "image-too-short";
        case Outcome::WriteFailed: return "write-failed";
        case Outcome::NoAnswer: return "no-answer";
        case Outcome::TooManyNaks: return "too-many-naks";
    }
    return "none";
}

std::string fileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

int runNewer(const DownloadArgs& args, LogoConnection& connection, app::CErrorLog& log) {
    NewDownloadSettings settings;
    settings.path = args.file;
    settings.fileName = fileNameOf(args.file);
    settings.area = args.area == "boot"         ? NewArea::Boot
                    : args.area == "downloader" ? NewArea::Downloader
                    : args.area == "font"       ? NewArea::ExtFont
                                                : NewArea::Program;
    settings.deviceType = args.connection.deviceType;
    CommandLineMessages messages(args.yes);
    InterruptWatch interrupt;
    NewFirmwareDownload engine(connection.Stream(), log, settings);
    ProgressLine line;
    app::RunSteps(engine, connection.Clock(), [&] {
        const NewDownloadProgress& p = engine.Progress();
        if (!p.transferring) return;
        const bool settling = engine.GetState() == NewFirmwareDownload::State::Settling;
        line.Show((settling ? "Writing flash - " : "Downloading - ") + std::to_string(p.percent) + " %");
    });
    line.Finish();
    using Outcome = NewFirmwareDownload::Outcome;
    const Outcome outcome = engine.GetOutcome();
    if (args.json) {
        std::printf("{\"outcome\":\"%s\",\"completed\":%s,\"series\":\"new\",\"area\":\"%s\",\"bytes\":%u,"
                    "\"checksum\":\"%s\"}\n",
                    outcomeName(outcome), outcome == Outcome::Completed ? "true" : "false",
                    args.area.c_str(), engine.Progress().bytesSent, engine.Progress().checksumText.c_str());
    }
    switch (outcome) {
        case Outcome::Completed: return kExitOk;
        case Outcome::Declined: return kExitUsage;
        case Outcome::FileOpenFailed:
        case Outcome::SizeWrong:
        case Outcome::FileReadFailed:
        case Outcome::NotFirmware:
        case Outcome::NoExtFont:
        case Outcome::OutOfMemory: return kExitBadInput;
        default: return kExitPrinter;
    }
}

int runOlder(const DownloadArgs& args, LogoConnection& connection, app::CErrorLog& log) {
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
    InterruptWatch interrupt;
    OldFirmwareDownload engine(connection.Stream(), connection.Clock(), log, settings);
    RunWithProgress(engine, connection.Clock(), interrupt, [&] { return engine.Progress().caption; });
    using Outcome = OldFirmwareDownload::Outcome;
    const Outcome outcome = engine.GetOutcome();
    const OldDownloadProgress& p = engine.Progress();
    if (args.json) {
        std::printf("{\"outcome\":\"%s\",\"completed\":%s,\"series\":\"old\",\"area\":\"%s\",\"bytes\":%u,"
                    "\"resends\":%d}\n",
                    outcomeName(outcome), outcome == Outcome::Completed ? "true" : "false",
                    args.area.c_str(), p.position - p.start, p.resends);
    }
    switch (outcome) {
        case Outcome::Completed: return kExitOk;
        case Outcome::FileOpenFailed:
        case Outcome::NoExtFont:
        case Outcome::ImageTooShort: return kExitBadInput;
        default: return kExitPrinter;
    }
}

int runDownload(const std::vector<std::string>& argv) {
    DownloadArgs args;
    if (const int code = parseArgs(argv, args); code >= 0) return code;
    // A missing or unreadable file is told before any port is touched.
    uint64_t size = 0;
    if (!ImageFileSize(args.file, size)) {
        std::fprintf(stderr, "korva: %s: %s\n", args.file.c_str(),
                     args.connection.deviceType == port::kDeviceTypeKorva10 ? app::Message(app::kMsgFileOpenError)
                                                                             : kTextFileOpen);
        return kExitBadInput;
    }
    app::CErrorLog log;
    LogoConnection connection(args.connection, "", log);
    return args.connection.deviceType == port::kDeviceTypeKorva10 ? runOlder(args, connection, log)
                                                                  : runNewer(args, connection, log);
}

const CommandRegistration kDownload{{
    {"firmware", "download"},
    "write one area of a firmware image into the printer",
    runDownload,
}};

}  // namespace
}  // namespace korva::cli

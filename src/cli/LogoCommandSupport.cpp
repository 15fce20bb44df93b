#include "cli/LogoCommandSupport.h"

#include <cstdio>
#include <cstring>

#include "base/EventLoopClock.h"
#include "base/MessageBox.h"
#include "base/Messages.h"
#include "cli/ConnectionOptions.h"
#include "cli/DeviceRootsEnv.h"
#include "cli/ExitCode.h"
#include "cli/Output.h"
#include "cli/PendingFile.h"
#include "cli/RunReason.h"
#include "port/FailureLine.h"
#include "port/Ports.h"
#include "port/PrinterSocket.h"
#include "port/TcpStream.h"

#include <QCoreApplication>

namespace korva::cli {

namespace {

ProgressLine* g_ActiveLine = nullptr;

/// Into a log or pipe a status line at most this often: a long wait (a
/// countdown) must not fill a log with a line a second.
constexpr int64_t kPipeIntervalMs = 10000;

/// Message texts carry Windows line ends; a terminal wants plain ones.
std::string plainLines(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

/// "Complete the NV bit image definition." without the paper-feed line a
/// file never causes.
std::string FirstLine(const std::string& text) { return plainLines(text.substr(0, text.find('\n'))); }

}  // namespace

bool IsSuccessNotice(const std::string& text) {
    for (int message : {base::kMsgCompleted, base::kMsgNvDefinitionComplete, base::kMsgUpdateComplete,
                        base::kMsgUpdateComplete2})
        // The message may carry a line on how far it is confirmed.
        if (text.rfind(base::Message(message), 0) == 0) return true;
    return false;
}

bool IsPortWording(const std::string& text) {
    return text.starts_with(base::Message(base::kMsgPortOpen)) ||
           text.starts_with(base::Message(base::kMsgWriteToPort)) ||
           text.starts_with(base::Message(base::kMsgCommunicationError)) ||
           (text.starts_with("ERROR[") && text.find("Open port or file.") != std::string::npos);
}

std::string OutputPath(const std::string& out) { return out == "-" ? "/dev/stdout" : out; }

int OutputFileExit(int code, const std::string& out) {
    return code == kExitPrinter && !out.empty() && out != "-" ? kExitBadInput : code;
}

struct LogoConnection::Parts {
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<port::CPrinterSocket> socket;
    std::unique_ptr<port::ByteStream> stream;
    base::EventLoopClock eventClock;
    std::unique_ptr<StreamWatch> watch;
    std::unique_ptr<PendingFile> output;
};

LogoConnection::LogoConnection(const port::ConnectionSettings& settings,
                               const std::string& outputFile, base::CErrorLog& log)
    : m_Parts(std::make_unique<Parts>()), m_OutputName(outputFile) {
    m_Clock = &base::DefaultClock();
    if (outputFile.empty() && ClassifyConnectionPort(settings).kind == port::PortKind::Ethernet) {
        static int argc = 1;
        static char name[] = "korva";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() == nullptr)
            m_Parts->app = std::make_unique<QCoreApplication>(argc, argv);
        m_Parts->socket = std::make_unique<port::CPrinterSocket>();
        m_Parts->stream = std::make_unique<port::TcpStream>(*m_Parts->socket, settings.ipAddress,
                                                            settings.tcpPort);
        m_Clock = &m_Parts->eventClock;
    } else {
        // The device roots tests point korva at reach every command that opens USB.
        auto ports = std::make_unique<port::CPorts>(log, DeviceRootsFromEnvironment());
        ports->SetConnection(settings);
        ports->m_CurrentTool = port::kToolLogo;
        if (!outputFile.empty()) {
            m_Parts->output = std::make_unique<PendingFile>(outputFile);
            ports->m_PortName = "FILE";
            ports->SetFileNameChooser([path = m_Parts->output->WritePath()] {
                return std::optional<std::string>(path);
            });
        }
        m_Parts->stream = std::move(ports);
    }
    m_Stream = m_Parts->stream.get();
    const std::string name = !outputFile.empty() ? (outputFile == "-" ? "standard output" : outputFile)
                             : m_Parts->socket    ? settings.ipAddress + ":" + std::to_string(settings.tcpPort)
                                                  : settings.portName;
    m_Parts->watch = std::make_unique<StreamWatch>(*m_Stream, name);
}

bool LogoConnection::FinishOutput(bool succeeded) {
    if (!m_Parts->output) return succeeded;
    const std::string& name = m_OutputName == "-" ? std::string("standard output") : m_OutputName;
    if (!succeeded) {
        // The temporary file goes with the PendingFile; say why it failed.
        const int error = m_Stream->LastError();
        if (error != 0 || StreamReason(*m_Stream) != base::Reason::None)
            FileWriteError(name, error != 0 ? port::ErrorWords(error) : "");
        return false;
    }
    m_Stream->Close();
    std::string why;
    if (m_Parts->output->Commit(why)) return true;
    FileWriteError(name, why);
    return false;
}

LogoConnection::~LogoConnection() {
    // The stream goes before the socket it writes to, the socket before the application.
    m_Parts->watch.reset();
    m_Parts->stream.reset();
    m_Parts->socket.reset();
}

StderrMessages::StderrMessages(bool toFile) {
    base::SetMessageHandler([toFile](const std::string& text, const std::string&, base::MsgStyle style) {
        ProgressLine::FinishActive();
        // The dialog's end-of-search box says nothing a command line needs.
        if (text == base::Message(base::kMsgSearchFinished)) return base::MsgAnswer::Ok;
        // A file is no port: the command names the file and what failed.
        if (toFile && IsPortWording(text)) return base::MsgAnswer::Ok;
        if (IsSuccessNotice(text))
            Note(toFile ? FirstLine(text) : plainLines(text));
        else if (text == base::Message(base::kMsgStopBitWarning))
            Note("warning: " + plainLines(text));  // a warning, not an error: -q silences it
        else if (style == base::MsgStyle::OkInformation)
            Note(plainLines(text));
        else
            Error(plainLines(text));
        const bool question = style == base::MsgStyle::YesNo || style == base::MsgStyle::YesNoQuestion;
        return question ? base::MsgAnswer::Yes : base::MsgAnswer::Ok;
    });
}

StderrMessages::~StderrMessages() { base::SetMessageHandler({}); }

ProgressLine::ProgressLine() { g_ActiveLine = this; }

ProgressLine::~ProgressLine() {
    if (g_ActiveLine == this) g_ActiveLine = nullptr;
}

void ProgressLine::FinishActive() {
    if (g_ActiveLine) g_ActiveLine->Finish();
}

void ProgressLine::Show(const std::string& status) {
    if (status == m_Last || status.empty() || status == " " || !ProgressShown()) return;
    m_Last = status;
    if (ProgressInPlace()) {
        std::fprintf(stderr, "\r%s\033[K", status.c_str());
        m_InPlace = true;
        return;
    }
    const int64_t now = base::DefaultClock().NowMs();
    if (now - m_PrintedAt < kPipeIntervalMs) return;
    std::fprintf(stderr, "%s\n", status.c_str());
    m_Printed = status;
    m_PrintedAt = now;
}

void ProgressLine::Finish() {
    if (m_InPlace) {
        std::fprintf(stderr, "\n");
    } else if (!m_Last.empty() && m_Last != m_Printed) {
        std::fprintf(stderr, "%s\n", m_Last.c_str());
    }
    m_InPlace = false;
    m_Printed = m_Last;
}

}  // namespace korva::cli

#include "cli/LogoCommandSupport.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "app/MessageBox.h"
#include "app/EventLoopClock.h"
#include "port/Ports.h"
#include "port/PrinterSocket.h"
#include "port/TcpStream.h"

#include <QCoreApplication>

namespace korva::cli {

namespace {

volatile std::sig_atomic_t g_Interrupted = 0;
ProgressLine* g_ActiveLine = nullptr;

extern "C" void onInterrupt(int) {
    if (g_Interrupted < 2) g_Interrupted = g_Interrupted + 1;
}

/// Message texts carry Windows line ends; a terminal wants plain ones.
std::string plainLines(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

}  // namespace

struct LogoConnection::Parts {
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<port::CPrinterSocket> socket;
    std::unique_ptr<port::ByteStream> stream;
    app::EventLoopClock eventClock;
};

LogoConnection::LogoConnection(const port::ConnectionSettings& settings,
                               const std::string& outputFile, app::CErrorLog& log)
    : m_Parts(std::make_unique<Parts>()) {
    m_Clock = &app::DefaultClock();
    if (outputFile.empty() && settings.Kind() == port::PortKind::Ethernet) {
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
        auto ports = std::make_unique<port::CPorts>(log);
        ports->SetConnection(settings);
        ports->m_CurrentTool = port::kToolLogo;
        if (!outputFile.empty()) {
            ports->m_PortName = "FILE";
            ports->SetFileNameChooser(
                [outputFile] { return std::optional<std::string>(outputFile); });
        }
        m_Parts->stream = std::move(ports);
    }
    m_Stream = m_Parts->stream.get();
}

LogoConnection::~LogoConnection() {
    // The stream goes before the socket it writes to, the socket before the application.
    m_Parts->stream.reset();
    m_Parts->socket.reset();
}

StderrMessages::StderrMessages() {
    app::SetMessageHandler([](const std::string& text, const std::string&, app::MsgStyle style) {
        ProgressLine::FinishActive();
        std::fprintf(stderr, "korva: %s\n", plainLines(text).c_str());
        const bool question = style == app::MsgStyle::YesNo || style == app::MsgStyle::YesNoQuestion;
        return question ? app::MsgAnswer::Yes : app::MsgAnswer::Ok;
    });
}

StderrMessages::~StderrMessages() { app::SetMessageHandler({}); }

InterruptWatch::InterruptWatch() {
    g_Interrupted = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

InterruptWatch::~InterruptWatch() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

bool InterruptWatch::Requested() const { return g_Interrupted != 0; }
bool InterruptWatch::RequestedTwice() const { return g_Interrupted >= 2; }

ProgressLine::ProgressLine() { g_ActiveLine = this; }

ProgressLine::~ProgressLine() {
    if (g_ActiveLine == this) g_ActiveLine = nullptr;
}

void ProgressLine::FinishActive() {
    if (g_ActiveLine) g_ActiveLine->Finish();
}

void ProgressLine::Show(const std::string& status) {
    if (status == m_Last || status.empty() || status == " ") return;
    m_Last = status;
    if (isatty(STDERR_FILENO)) {
        std::fprintf(stderr, "\r%s\033[K", status.c_str());
        m_InPlace = true;
        return;
    }
    const int64_t now = app::DefaultClock().NowMs();
    if (now - m_PrintedAt < 1000) return;
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

bool ParseNumber(std::string_view text, int lo, int hi, int& value) {
    if (text.empty() || text.size() > 9) return false;
    long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    if (n < lo || n > hi) return false;
    value = static_cast<int>(n);
    return true;
}

bool TakeValue(const std::vector<std::string>& args, size_t& i, std::string_view name,
               std::string& value, bool& missing) {
    const std::string& arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) {
            missing = true;
            return true;
        }
        value = args[++i];
        return true;
    }
    if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
        arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

}  // namespace korva::cli

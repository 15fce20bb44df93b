#include "usersetup/SetupSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include "base/EventLoopClock.h"
#include "base/StepEngine.h"
#include "port/ParPortCtl.h"
#include "port/PortPath.h"
#include "port/Ports.h"
#include "port/PrinterSocket.h"
#include "usersetup/ReplyDecoder.h"
#include "usersetup/SetupCommands.h"

namespace korva::usersetup {

namespace {
constexpr int kUsbPollMs = 100;
}

struct SetupSession::Parts {
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<port::CPorts> ports;
    std::unique_ptr<port::ParPortCtl> parallel;
    std::unique_ptr<port::CPrinterSocket> socket;
    std::unique_ptr<UserSetupExchange> exchange;
    base::EventLoopClock clock;
    port::PortKind kind = port::PortKind::Serial;
    std::vector<SettingReply> refused;
};

SetupSession::SetupSession(const port::ConnectionSettings& connection, base::CErrorLog& log,
                           port::DeviceRoots roots)
    : m_Parts(std::make_unique<Parts>()) {
    static int argc = 1;
    static char name[] = "korva";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr)
        m_Parts->app = std::make_unique<QCoreApplication>(argc, argv);

    SetupEndpoints ep;
    ep.log = &log;
    ep.kind = port::ClassifyPortPath(connection.portName, roots.sys);
    ep.portName = connection.portName;
    ep.ipAddress = connection.ipAddress;
    ep.tcpPort = connection.tcpPort;
    m_Parts->ports = std::make_unique<port::CPorts>(log, roots);
    m_Parts->ports->SetConnection(connection);
    ep.ports = m_Parts->ports.get();
    if (ep.kind == port::PortKind::Parallel) {
        m_Parts->parallel = std::make_unique<port::ParPortCtl>(log, roots.dev);
        ep.parallel = m_Parts->parallel.get();
    }
    if (ep.kind == port::PortKind::Ethernet) {
        m_Parts->socket = std::make_unique<port::CPrinterSocket>();
        ep.socket = m_Parts->socket.get();
    }
    m_Parts->kind = ep.kind;
    m_Parts->exchange = std::make_unique<UserSetupExchange>(ep);
}

SetupSession::~SetupSession() {
    // The exchange closes its connection before the ports and the socket go.
    m_Parts->exchange.reset();
    m_Parts->socket.reset();
}

port::PortKind SetupSession::Kind() const { return m_Parts->kind; }

bool SetupSession::Connect() { return m_Parts->exchange->Connect(); }

int SetupSession::LastError(bool& hungUp) const {
    hungUp = m_Parts->ports->HungUp();
    if (m_Parts->socket) return m_Parts->socket->LastErrorCode();
    return m_Parts->ports->LastError();
}

bool SetupSession::Run() {
    base::RunSteps(*m_Parts->exchange, m_Parts->clock);
    return m_Parts->exchange->LastOutcome() == UserSetupExchange::Outcome::Ok;
}

bool SetupSession::Read(UserSettings& settings, const SetupLists& lists, int timeoutMs,
                        std::vector<int>& missing) {
    UserSetupExchange& exchange = *m_Parts->exchange;
    m_Parts->refused.clear();
    exchange.SetReplyHandler([&](const SettingReply& reply) {
        const DecodeStatus status = DecodeReply(reply, settings, lists);
        if (status == DecodeStatus::OutOfRange || status == DecodeStatus::UnlistedValue)
            m_Parts->refused.push_back(reply);
    });
    exchange.SetReadDeadline(timeoutMs);
    exchange.BeginRead();
    // A parallel read ends when every reply is in or its time is up; on the
    // other ports the replies keep coming after the requests: wait for them.
    if (Run() && m_Parts->kind != port::PortKind::Parallel) {
        QElapsedTimer timer;
        timer.start();
        while (!exchange.AllAnswered() && timer.elapsed() < timeoutMs) {
            m_Parts->clock.SleepMs(kUsbPollMs);
            exchange.FetchUsbReplies();
        }
    }
    exchange.SetReplyHandler({});
    missing.clear();
    for (uint8_t setting : exchange.RequestList())
        if (!exchange.Answered(setting)) missing.push_back(setting);
    return exchange.LastOutcome() != UserSetupExchange::Outcome::Failed && missing.empty();
}

const std::vector<SettingReply>& SetupSession::Refused() const { return m_Parts->refused; }

bool SetupSession::Write(UserSettings settings, const SetupLists& lists) {
    m_Parts->exchange->BeginWrite([settings, &lists]() mutable {
        PrepareForWrite(settings);
        return BuildSetValues(settings, lists);
    });
    return Run();
}

bool SetupSession::TestPage() {
    m_Parts->exchange->BeginTest();
    return Run();
}

}  // namespace korva::usersetup

#include "usersetup/SetupSession.h"

#include <QCoreApplication>
#include <algorithm>

#include "base/EventLoopClock.h"
#include "base/StepEngine.h"
#include "base/MessageBox.h"
#include "base/Messages.h"
#include "port/ParPortCtl.h"
#include "port/PortFailures.h"
#include "port/PortPath.h"
#include "port/Ports.h"
#include "port/PrinterSocket.h"
#include "usersetup/ReadBackAfterWrite.h"
#include "usersetup/ReplyDecoder.h"
#include "usersetup/SetupCommands.h"

namespace korva::usersetup {

struct SetupSession::Parts {
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<port::CPorts> ports;
    std::unique_ptr<port::ParPortCtl> parallel;
    std::unique_ptr<port::CPrinterSocket> socket;
    std::unique_ptr<UserSetupExchange> exchange;
    base::EventLoopClock clock;
    port::PortKind kind = port::PortKind::Serial;
    UserSettings written;  ///< the record of the last Write, as prepared for the wire
    std::vector<uint8_t> command;  ///< its set-values command
    base::Reason reason = base::Reason::None;  ///< a read that a link fault ended
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
    // A read's wait ends with its last answer or the link, not at its next look.
    base::EventLoopClock& clock = m_Parts->clock;
    QObject::connect(m_Parts->exchange.get(), &UserSetupExchange::AnswersIn, [&clock] { clock.Wake(); });
    QObject::connect(m_Parts->exchange.get(), &UserSetupExchange::LinkLost, [&clock] { clock.Wake(); });
}

SetupSession::~SetupSession() {
    // The exchange closes its connection before the ports and the socket go.
    m_Parts->exchange.reset();
    m_Parts->socket.reset();
}

port::PortKind SetupSession::Kind() const { return m_Parts->kind; }

bool SetupSession::Connect() { return m_Parts->exchange->Connect(); }

base::Reason SetupSession::FailureReason(bool opened) const {
    if (!m_Parts->socket) {
        const base::Reason fault = m_Parts->ports->LinkFault();
        return fault != base::Reason::None ? fault : m_Parts->ports->FailureReason();
    }
    // The socket latched how the printer ended the connection (an orderly
    // close is a hang-up, not the reset its later writes meet).
    const base::Reason fault = m_Parts->socket->LinkFault();
    if (fault != base::Reason::None) return fault;
    const int error = m_Parts->socket->LastErrorCode();
    if (error == 0) return base::Reason::None;
    return opened ? port::LinkReasonOf(error) : port::OpenFailureReason(error);
}

bool SetupSession::Run() {
    base::RunSteps(*m_Parts->exchange, m_Parts->clock);
    return m_Parts->exchange->LastOutcome() == UserSetupExchange::Outcome::Ok;
}

bool SetupSession::Read(UserSettings& settings, const SetupLists& lists, int timeoutMs,
                        std::vector<int>& missing) {
    UserSetupExchange& exchange = *m_Parts->exchange;
    m_Parts->reason = base::Reason::None;
    exchange.SetReplyHandler(
        [&](const SettingReply& reply) { DecodeReply(reply, settings, lists); });
    exchange.SetReadDeadline(timeoutMs);
    exchange.BeginRead();
    // The read ends when every reply is in, its time is up or the link went.
    Run();
    const base::Reason fault = exchange.LinkFaultNow();
    exchange.SetReplyHandler({});
    missing.clear();
    for (uint8_t setting : exchange.RequestList())
        if (!exchange.Answered(setting)) missing.push_back(setting);
    if (fault != base::Reason::None && !missing.empty() &&
        exchange.LastOutcome() != UserSetupExchange::Outcome::Failed) {
        m_Parts->reason = fault;
        base::ShowMessage(std::string(base::Message(base::kMsgWriteFailCheckPower)) + "\r\n" +
                          port::LinkFaultText(fault));
        return false;
    }
    return exchange.LastOutcome() != UserSetupExchange::Outcome::Failed && missing.empty();
}

base::Reason SetupSession::Reason() const {
    return m_Parts->reason != base::Reason::None ? m_Parts->reason : m_Parts->exchange->Reason();
}

bool SetupSession::Write(UserSettings settings, const SetupLists& lists) {
    m_Parts->reason = base::Reason::None;
    m_Parts->exchange->BeginWrite([this, settings, &lists]() mutable {
        PrepareForWrite(settings);
        m_Parts->written = settings;
        m_Parts->command = BuildSetValues(settings, lists);
        return m_Parts->command;
    });
    return Run();
}

bool SetupSession::ReadBack(const SetupLists& lists, int timeoutMs,
                            std::vector<ReadBackDifference>& differences) {
    UserSettings now;
    std::vector<int> missing;
    differences.clear();
    UserSetupExchange& exchange = *m_Parts->exchange;
    const auto found = ReadBackAfterWrite(
        exchange,
        [&] {
            Read(now, lists, timeoutMs, missing);
            return exchange.LastOutcome() != UserSetupExchange::Outcome::Failed;
        },
        m_Parts->command, m_Parts->written, now, lists);
    if (!found) return false;
    differences = *found;
    return true;
}

std::optional<std::array<uint8_t, 4>> SetupSession::LastStatus() const {
    return m_Parts->exchange->Reader().LastStatus();
}

bool SetupSession::TestPage() {
    m_Parts->reason = base::Reason::None;
    m_Parts->exchange->BeginTest();
    return Run();
}

}  // namespace korva::usersetup

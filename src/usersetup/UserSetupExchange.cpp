#include "usersetup/UserSetupExchange.h"

#include "base/ErrorLog.h"
#include "base/MessageBox.h"
#include "base/Messages.h"
#include "base/StepEngine.h"
#include "port/ParPortCtl.h"
#include "port/PortFailures.h"
#include "port/Ports.h"
#include "port/PrinterSocket.h"
#include "printer/PrinterFacts.h"
#include "usersetup/RequestLists.h"
#include "usersetup/SetupCommands.h"

namespace korva::usersetup {

namespace {
/// How long the printer may take nothing of a block before the link counts as broken.
constexpr int kEthernetDeliveryMs = 10'000;
/// What a block write may leave unacknowledged: the requests and the test
/// page go out at their pace, not the printer's acknowledgement's.
constexpr qint64 kEthernetInFlightBytes = 4096;
}  // namespace

UserSetupExchange::UserSetupExchange(SetupEndpoints endpoints, QObject* parent)
    : QObject(parent), m_Ep(std::move(endpoints)) {
    m_Reader.SetHandler([this](const SettingReply& reply) { OnReply(reply); });
}

UserSetupExchange::~UserSetupExchange() { Disconnect(); }

base::CErrorLog& UserSetupExchange::Log() { return m_Ep.log ? *m_Ep.log : base::ErrorLog(); }

bool UserSetupExchange::LegacyMode() const {
    return m_Ep.kind == port::PortKind::Parallel && m_Ep.parallel &&
           m_Ep.parallel->LegacyMode() != 0;
}

std::span<const uint8_t> UserSetupExchange::RequestList() const {
    return RequestsFor(m_Ep.kind);
}

bool UserSetupExchange::AllAnswered() const {
    for (uint8_t setting : RequestList())
        if (!m_Answered[setting]) return false;
    return true;
}

void UserSetupExchange::OnReply(const SettingReply& reply) {
    m_Answered[reply.number] = true;
    m_PrinterAnswered = true;
    if (m_Handler) m_Handler(reply);
    if (AllAnswered() && m_AwaitingAnswers.exchange(false)) emit AnswersIn();
}

void UserSetupExchange::MoveToRing() {
    // Runs on the thread that filled the port object's queue (its watch
    // thread, or this one for USB); that thread is the ring's only producer.
    port::CRecvQueue& from = m_Ep.ports->m_QueueRead;
    while (!from.IsEmpty() && m_Ring.Count() < port::CRecvQueue::kSize - 1) m_Ring.Put(from.Get());
    m_Reader.Wake();
    // The watch thread tells of a hang-up like of new data.
    if (m_Ep.ports->HungUp() && !m_LossTold.exchange(true))
        QMetaObject::invokeMethod(this, [this] { emit LinkLost(); }, Qt::QueuedConnection);
}

// --- connection ---------------------------------------------------------

bool UserSetupExchange::Connect() {
    m_Answered.fill(false);
    m_PrinterAnswered = false;
    ForgetModelIdRequests();
    m_LossTold = false;
    const bool parallel = m_Ep.kind == port::PortKind::Parallel,
               ethernet = m_Ep.kind == port::PortKind::Ethernet;
    if ((parallel && !m_Ep.parallel) || (ethernet && !m_Ep.socket) ||
        (!parallel && !ethernet && !m_Ep.ports)) {
        Log().Log("CUserSetup: no connection object for this port\r\n");
        base::ShowMessage(base::Message(base::kMsgInitFail));
        return false;
    }
    switch (m_Ep.kind) {
        case port::PortKind::Parallel:
            m_Connected = ConnectParallel();
            break;
        case port::PortKind::Ethernet:
            m_Connected = ConnectEthernet();
            break;
        default:
            m_Connected = ConnectPortObject();
            break;
    }
    return m_Connected;
}

void UserSetupExchange::BeginConnect() {
    m_Steps.clear();
    m_Outcome = Outcome::None;
    m_Reason = base::Reason::None;
    Queue([this] {
        if (Connect()) return 0;
        m_Outcome = Outcome::Failed;
        return kFail;
    });
}

bool UserSetupExchange::ConnectParallel() {
    port::ParPortCtl& par = *m_Ep.parallel;
    if (par.OpenPort(m_Ep.portName) != 1) {
        base::ShowMessage(std::string(base::Message(base::kMsgInitFail)) + "\n" + par.GetErrorText());
        return false;
    }
    m_ParallelConnected = true;
    if (par.WritePort(printer::kAutomaticStatusOff.data(), printer::kAutomaticStatusOff.size()) == 0) {
        Log().Log("CUserSetup: printer check on %s failed\r\n", m_Ep.portName.c_str());
        base::ShowMessage(base::Message(base::kMsgPrinterCheck));
        m_ParallelConnected = false;
        par.ClosePort();
        return false;
    }
    return true;
}

bool UserSetupExchange::ConnectEthernet() {
    connect(m_Ep.socket, &port::CPrinterSocket::LinkLost, this, &UserSetupExchange::LinkLost,
            Qt::UniqueConnection);
    connect(m_Ep.socket, &port::CPrinterSocket::DataArrived, &m_Reader, &ReplyReader::Wake,
            Qt::UniqueConnection);
    if (!m_Ep.socket->ConnectWithRetry(m_Ep.ipAddress, m_Ep.tcpPort)) {
        // Refused, unreachable, or closed as soon as accepted: the user's next step differs.
        const std::string cause = port::OpenFailureDetail(m_Ep.socket->LastErrorCode(), false);
        m_Ep.socket->Close();
        Log().Log("CUserSetup: no connection to %s:%d\r\n", m_Ep.ipAddress.c_str(), m_Ep.tcpPort);
        base::ShowMessage(std::string(base::Message(base::kMsgPrinterCheck)) +
                          (cause.empty() ? "" : "\r\n" + cause));
        return false;
    }
    m_Ep.socket->Close();
    if (!m_Reader.StartQueue(m_Ep.socket->m_QueueRead)) {
        base::ShowMessage(base::Message(base::kMsgCannotCreateReceiveThread));
        return false;
    }
    return true;
}

bool UserSetupExchange::ConnectPortObject() {
    port::CPorts& ports = *m_Ep.ports;
    // The port object starts its watch thread for this tool.
    ports.m_CurrentTool = port::kToolUserSetup;
    ports.SetNotifyWnd([this] { MoveToRing(); });
    ports.Close();
    if (!ports.Open()) {
        ports.SetNotifyWnd({});
        base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgInitFail), ports));
        return false;
    }
    m_Ring.Clear();
    const bool readsReplies =
        m_Ep.kind == port::PortKind::Serial || m_Ep.kind == port::PortKind::Usb;
    if (readsReplies && !m_Reader.StartQueue(m_Ring)) {
        ports.Close();
        ports.SetNotifyWnd({});
        base::ShowMessage(base::Message(base::kMsgCannotCreateReceiveThread));
        return false;
    }
    return true;
}

void UserSetupExchange::Disconnect() {
    m_Steps.clear();
    switch (m_Ep.kind) {
        case port::PortKind::Parallel:
            m_Reader.Stop();
            if (m_ParallelConnected) {
                m_Ep.parallel->StopReadThread();
                m_Ep.parallel->ClosePort();
            }
            m_ParallelConnected = false;
            break;
        case port::PortKind::Ethernet:
            m_Reader.Stop();
            if (m_Connected) m_Ep.socket->Close();
            break;
        default:
            if (m_Connected && m_Ep.ports->m_bConnected) m_Ep.ports->Close();
            // The watch thread has ended with the close: nothing fills the ring now.
            m_Reader.Stop();
            if (m_Connected) m_Ep.ports->SetNotifyWnd({});
            break;
    }
    m_Connected = false;
}

bool UserSetupExchange::WriteBlock(std::span<const uint8_t> block) {
    switch (m_Ep.kind) {
        case port::PortKind::Parallel:
            return m_ParallelConnected && m_Ep.parallel->WritePort(block.data(), block.size()) != 0;
        case port::PortKind::Ethernet:
            // Taken with the link still up; the acknowledgement is waited for
            // where the outcome needs it (AllDelivered), or the answers prove it.
            return m_Ep.socket->Send(block.data(), static_cast<qint64>(block.size())) ==
                       static_cast<qint64>(block.size()) &&
                   m_Ep.socket->WaitDelivered(kEthernetDeliveryMs, nullptr, kEthernetInFlightBytes);
        default:
            return m_Ep.ports->IsOpen() && m_Ep.ports->Write(block) == block.size();
    }
}

bool UserSetupExchange::AllDelivered() {
    return m_Ep.kind != port::PortKind::Ethernet || m_Ep.socket->WaitDelivered(kEthernetDeliveryMs);
}

bool UserSetupExchange::OpenEthernetExchange(bool fresh) {
    // A read probes the link as the last exchange left it before connecting anew.
    if (!fresh && m_Ep.socket->Send(nullptr, 0) == 0) return true;
    ForgetModelIdRequests();
    if (m_Ep.socket->ConnectWithRetry(m_Ep.ipAddress, m_Ep.tcpPort)) return true;
    m_Ep.socket->Close();
    Log().Log("CUserSetup: no connection to %s:%d\r\n", m_Ep.ipAddress.c_str(), m_Ep.tcpPort);
    return false;
}

void UserSetupExchange::CloseEthernet() { m_Ep.socket->Close(); }

base::Reason UserSetupExchange::LinkFaultNow() {
    switch (m_Ep.kind) {
        case port::PortKind::Parallel: return base::Reason::None;
        case port::PortKind::Ethernet: return m_Ep.socket->LinkFault();
        default: return m_Ep.ports->LinkFault();
    }
}

void UserSetupExchange::ForgetModelIdRequests() {
    m_ModelIdAsked = m_ModelIdBase = m_Reader.ModelIdAnswers();
}

int UserSetupExchange::Fail(const std::string& text, const char* what) {
    Log().Log("CUserSetup: %s failed\r\n", what);
    const base::Reason fault = LinkFaultNow();
    if (m_Reason == base::Reason::None)
        m_Reason = fault != base::Reason::None ? fault : base::Reason::Failed;
    const std::string detail = port::LinkFaultText(fault);
    base::ShowMessage(detail.empty() ? text : text + "\r\n" + detail);
    m_Steps.clear();
    m_Reader.Stop();
    if (m_Ep.kind == port::PortKind::Parallel) {
        // The connection counts as closed; the control is closed at the end.
        m_Ep.parallel->StopReadThread();
        m_ParallelConnected = false;
    } else if (m_Ep.kind == port::PortKind::Ethernet) {
        CloseEthernet();
    } else if (m_Ep.ports->m_bConnected) {
        m_Ep.ports->Close();
    }
    m_Outcome = Outcome::Failed;
    return kFail;
}

void UserSetupExchange::Cancel() {
    if (m_Steps.empty()) return;
    m_Steps.clear();
    if (m_Ep.kind == port::PortKind::Parallel) {
        m_Reader.Stop();
        if (m_ParallelConnected) m_Ep.parallel->StopReadThread();
    }
    m_Outcome = Outcome::Cancelled;
}

int UserSetupExchange::Step() {
    if (m_Steps.empty()) return base::kStepDone;
    Action action = std::move(m_Steps.front());
    m_Steps.pop_front();
    const int wait = action();
    if (wait == kFail || m_Outcome == Outcome::Failed || m_Outcome == Outcome::TimedOut) {
        m_Steps.clear();
        return base::kStepDone;
    }
    if (m_Steps.empty()) {
        m_Outcome = Outcome::Ok;
        return base::kStepDone;
    }
    return wait;
}

}  // namespace korva::usersetup

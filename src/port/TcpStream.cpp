#include "port/TcpStream.h"

#include <cerrno>

#include "port/PortFailures.h"

namespace korva::port {

TcpStream::TcpStream(CPrinterSocket& socket, std::string address, int port, int stallMs)
    : m_Socket(socket), m_Address(std::move(address)), m_Port(port), m_StallMs(stallMs) {}

bool TcpStream::Open() {
    ForgetAnswers();
    m_FailureReason = base::Reason::None;
    m_Interrupt = false;
    m_LastError = 0;
    m_FailureDetail.clear();
    if (m_Socket.ConnectWithRetry(m_Address, m_Port)) return true;
    // Refused, unreachable and timed out are different causes for the user.
    m_LastError = m_Socket.LastErrorCode() != 0 ? m_Socket.LastErrorCode() : ECONNREFUSED;
    m_FailureDetail = OpenFailureDetail(m_LastError, false);
    m_FailureReason = OpenFailureReason(m_LastError);
    m_Socket.Close();
    return false;
}

bool TcpStream::OpenSingleAttempt() {
    ForgetAnswers();
    m_FailureReason = base::Reason::None;
    m_Interrupt = false;
    m_LastError = 0;
    m_FailureDetail.clear();
    if (m_Socket.ConnectOnce(m_Address, m_Port, kSingleAttemptWaitMs)) return true;
    m_LastError = m_Socket.LastErrorCode() != 0 ? m_Socket.LastErrorCode() : ENOTCONN;
    m_FailureDetail = OpenFailureDetail(m_LastError, false);
    m_FailureReason = OpenFailureReason(m_LastError);
    m_Socket.Close();
    return false;
}

size_t TcpStream::Write(std::span<const uint8_t> data) {
    if (data.empty()) return 0;
    const qint64 sent = m_Socket.Send(data.data(), static_cast<qint64>(data.size()));
    // The link is looked at after every write: a fault or a stall fails it.
    // The printer's acknowledgement is waited for only beyond the bytes
    // allowed in flight; AwaitDelivery waits for all where the outcome needs it.
    if (sent < 0 || !Delivered(kInFlightBytes)) {
        if (sent < 0) KeepFailure();
        return 0;
    }
    return static_cast<size_t>(sent);
}

bool TcpStream::Delivered(qint64 allowedPending) {
    if (m_Socket.WaitDelivered(m_StallMs, &m_Interrupt, allowedPending)) return true;
    KeepFailure();
    return false;
}

void TcpStream::KeepFailure() {
    m_LastError = m_Socket.LastErrorCode() != 0 ? m_Socket.LastErrorCode() : ENOTCONN;
    if (m_LastError == ECANCELED) {
        m_FailureDetail = kTextCancelledStalled;
        m_FailureReason = base::Reason::Cancelled;
        return;
    }
    const base::Reason fault = m_Socket.LinkFault();
    m_FailureReason = m_LastError == ETIMEDOUT        ? base::Reason::Stalled
                      : fault != base::Reason::None ? fault
                                                    : LinkReasonOf(m_LastError);
    m_FailureDetail = m_LastError == ETIMEDOUT ? kTextNotDelivered
                      : fault == base::Reason::Reset ? kTextReset
                      : fault == base::Reason::Refused ? kTextClosedAtAccept
                      : fault == base::Reason::HangUp ? kTextClosedConnection
                      : m_LastError == ECONNRESET ? kTextClosedConnection
                                                  : "";
}

base::Reason TcpStream::LinkFault() {
    const base::Reason fault = m_Socket.LinkFault();
    if (fault == base::Reason::None) return fault;
    if (m_FailureReason == base::Reason::None) m_FailureReason = fault;
    if (m_LastError == 0)
        m_LastError = fault == base::Reason::Refused ? ECONNABORTED
                      : fault == base::Reason::Reset ? ECONNRESET
                                                     : EPIPE;
    if (m_FailureDetail.empty())
        m_FailureDetail = fault == base::Reason::Reset     ? kTextReset
                          : fault == base::Reason::Refused ? kTextClosedAtAccept
                                                           : kTextPeerClosed;
    return fault;
}

int TcpStream::Read(std::span<uint8_t> buffer, int timeoutMs) {
    if (buffer.empty()) return 0;
    if (m_Socket.m_QueueRead.IsEmpty()) {
        if (!m_Socket.WaitForData(timeoutMs) && !IsOpen()) return -1;
    }
    size_t count = 0;
    while (count < buffer.size() && !m_Socket.m_QueueRead.IsEmpty()) {
        buffer[count++] = m_Socket.m_QueueRead.Get();
    }
    return static_cast<int>(count);
}

}  // namespace korva::port

#pragma once
#include <atomic>
#include <string>

#include "port/ByteStream.h"
#include "port/PrinterSocket.h"

namespace korva::port {

/// The TCP link seen as a ByteStream, so the engines drive an Ethernet
/// printer like any other port. Open runs ConnectWithRetry to the address.
class TcpStream final : public ByteStream {
public:
    /// Time the printer may take nothing of a write before it counts as failed.
    static constexpr int kWriteTimeoutMs = 10000;
    /// The single attempt waits this long between connect and its probe.
    static constexpr int kSingleAttemptWaitMs = 100;
    /// What the printer may hold unacknowledged before a write waits for it:
    /// a paced writer never waits on a printer that keeps up, and at most
    /// this much is in flight when a fault comes.
    static constexpr int kInFlightBytes = 4096;

    /// `stallMs`: how long the printer may take nothing before a write fails.
    TcpStream(CPrinterSocket& socket, std::string address, int port, int stallMs = kWriteTimeoutMs);

    PortKind Kind() const override { return PortKind::Ethernet; }
    bool Open() override;
    bool OpenSingleAttempt() override;
    void Close() override { m_Socket.Close(); }
    bool IsOpen() const override { return m_Socket.m_bConnected != 0; }
    size_t Write(std::span<const uint8_t> data) override;
    int Read(std::span<uint8_t> buffer, int timeoutMs) override;
    void Purge() override { m_Socket.m_QueueRead.DiscardAll(); }
    int LastError() const override { return m_LastError; }
    std::string FailureDetail() const override { return m_FailureDetail; }
    base::Reason LinkFault() override;
    base::Reason FailureReason() const override { return m_FailureReason; }
    void Interrupt() override { m_Interrupt = true; }
    bool AwaitDelivery() override { return Delivered(0); }
    uint64_t PendingBytes() override { return m_Socket.Unacknowledged(); }

    CPrinterSocket& Socket() { return m_Socket; }

private:
    /// Waits until at most `allowedPending` bytes are unacknowledged; false
    /// (the failure kept) on a fault, a stall or a cancel.
    bool Delivered(qint64 allowedPending);
    /// Keeps the failed write's or wait's code, words and reason.
    void KeepFailure();

    CPrinterSocket& m_Socket;
    std::string m_Address;
    int m_Port;
    int m_StallMs;
    int m_LastError = 0;
    std::string m_FailureDetail;
    base::Reason m_FailureReason = base::Reason::None;
    std::atomic<bool> m_Interrupt{false};
};

}  // namespace korva::port

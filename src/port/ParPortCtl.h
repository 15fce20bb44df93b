#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>

#include "base/Clock.h"
#include "port/PpdevCalls.h"
#include "printer/PrinterFacts.h"

namespace korva::base {
class CErrorLog;
}

namespace korva::port {

using printer::IsAutomaticStatusBlock;

/// A two-way connection to a printer on a parallel port, for the user setup,
/// which must read answers (the port object only writes to parallel ports).
/// A receive thread reads on request, drops the printer's automatic status
/// blocks and keeps the other bytes in a 4096-byte ring. Failures leave a text
/// for the caller to show.
///
/// On a ppdev node the one descriptor serves both directions: a write runs in
/// compatibility mode, a read in nibble mode, and the switch and the transfer
/// happen under one lock, so the receive thread and a writer never race. A
/// read gives up after half a second without a byte (the kernel's own read
/// would wait for a signal), so a stop request or a close never waits long.
class ParPortCtl {
public:
    static constexpr uint32_t kQueueSize = 4096;
    static constexpr size_t kReadBlock = 512;
    static constexpr int kWriteWaitMs = 5000;
    /// One read ends when the printer has sent nothing for this long.
    static constexpr int kReadLimitMs = 500;
    /// A ppdev node cannot be polled: it is asked again this often.
    static constexpr int kPpdevRetryMs = 10;
    /// Close waits this long before the device is let go.
    static constexpr int kCloseWaitMs = 100;

    explicit ParPortCtl(base::CErrorLog& log, std::string devRoot = "/dev",
                        PpdevCalls& ppdev = SystemPpdevCalls(),
                        base::Clock& clock = base::DefaultClock());
    virtual ~ParPortCtl();
    ParPortCtl(const ParPortCtl&) = delete;
    ParPortCtl& operator=(const ParPortCtl&) = delete;

    /// Opens "LPTn" (/dev/parport(n-1)) or a device path for reading and writing; 1 or 0.
    int OpenPort(const std::string& name);
    /// Bytes written, 0 on failure or when not done within 5000 ms.
    int WritePort(const uint8_t* buffer, size_t length);
    /// One read of what the printer has sent, waiting until something comes,
    /// half a second has passed or the thread is asked to stop; 0 on failure
    /// or nothing read.
    int ReadPort(uint8_t* buffer, size_t length);
    int StartReadThread();
    /// Makes the receive thread perform one read. Triggers add up: each one
    /// given, also before the thread starts, is one read.
    int TriggerRead();
    /// Takes one byte; status 1, or -1 with byte 0 when the queue is empty.
    uint8_t GetByte(int& status);
    /// Asks the receive thread to end and waits until it has.
    int StopReadThread();
    int ClosePort();
    std::string GetErrorText() const;

    /// No device on Linux needs the time-out set-up of the old systems.
    int LegacyMode() const { return 0; }
    uint32_t ReadPosition() const { return m_ReadPos.load(); }
    uint32_t WritePosition() const { return m_WritePos.load(); }
    int LastErrorCode() const { return m_LastErrorCode; }
    std::array<uint8_t, 4> LastStatus() const;
    bool IsOpen() const { return m_Opened != 0; }

private:
    void ReceiveThread();
    void SetError(int code, const std::string& text);
    void SetErrorText(const std::string& text);
    bool StopRequested() const;
    void DrainAfterStop();
    /// Walks one read block into the ring; false when the ring was full.
    bool StoreBlock(std::span<const uint8_t> block);
    int ReadPpdev(uint8_t* buffer, size_t length);
    int ReadStream(uint8_t* buffer, size_t length);
    int ReadFailed(int error);
    /// Switches a ppdev node to `mode` unless it is there; m_ModeLock held.
    int UseMode(int mode);

    base::CErrorLog& m_Log;
    std::string m_DevRoot;
    PpdevCalls& m_Calls;
    base::Clock& m_Clock;
    int m_Device = -1;
    bool m_Ppdev = false;
    std::mutex m_ModeLock;  ///< one transfer, with its mode switch, at a time
    int m_Mode = -1;        ///< the ppdev mode negotiated last; -1 unknown
    std::atomic<int> m_Opened{0};
    std::atomic<int> m_LastErrorCode{0};
    mutable std::mutex m_TextMutex;
    std::string m_ErrorText;
    std::array<uint8_t, 4> m_LastStatus{};

    int m_StopEvent = -1;  ///< eventfd: asks the thread to end
    int m_ReadEvent = -1;  ///< eventfd semaphore: one count per read asked for
    std::thread m_Thread;
    std::atomic<bool> m_ThreadEnded{true};

    std::atomic<uint32_t> m_ReadPos{0};
    std::atomic<uint32_t> m_WritePos{0};
    uint8_t m_Queue[kQueueSize] = {};
};

}  // namespace korva::port

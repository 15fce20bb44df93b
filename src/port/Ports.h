#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/Clock.h"
#include "port/ByteStream.h"
#include "port/Connection.h"
#include "port/Discovery.h"
#include "port/RecvQueue.h"
#include "port/UsbReply.h"

namespace korva::base {
class CErrorLog;
}

namespace korva::port {

/// Tool marks kept in `m_CurrentTool`.
enum CurrentTool : uint8_t { kToolNone = 0, kToolLogo = 1, kToolUserSetup = 2, kToolFirmware = 3 };

/// The program's connection to a serial, parallel or USB printer, or to an
/// output file ("FILE"). Holds the connection settings, the open descriptor,
/// the receive queue and, for the tools that read replies on a serial port,
/// the watch thread that fills it. Ethernet printers use the TCP link instead.
class CPorts : public ByteStream {
public:
    /// Asks for the output file name of "FILE"; nullopt when the user declined.
    using FileNameChooser = std::function<std::optional<std::string>()>;
    /// The port-data notification, called on the receiving thread, which waits
    /// until it returns.
    using DataNotify = std::function<void()>;

    explicit CPorts(base::CErrorLog& log, DeviceRoots roots = {});
    ~CPorts() override;
    CPorts(const CPorts&) = delete;
    CPorts& operator=(const CPorts&) = delete;

    // Connection settings, filled by the connection dialog or the CLI.
    std::string m_PortName;
    int m_BaudRate = kUnset;
    int m_DataBits = kUnset;
    int m_Parity = kUnset;
    int m_StopBits = kStopBits1;
    int m_FlowControl = kUnset;
    int m_DeviceType = 0;

    uint8_t m_CurrentTool = kToolNone;
    /// Device path of the USB printer, written by the USB open.
    std::string m_UsbPath;
    /// The usblp node to open for "USB"; empty: search the printer of the series.
    std::string m_UsbNode;
    /// Replies from the printer: filled by the watch thread and ReadUsbReply.
    CRecvQueue m_QueueRead;
    /// 1 while the port is open.
    std::atomic<int> m_bConnected{0};

    void SetConnection(const ConnectionSettings& settings);
    ConnectionSettings Connection() const;

    /// Where the port-data notification goes; empty for nowhere.
    void SetNotifyWnd(DataNotify notify);
    /// The file-name question of "FILE"; without one the output is "temp.prn".
    void SetFileNameChooser(FileNameChooser chooser);
    /// The file chosen at the last open of "FILE" (the port name stays "FILE").
    const std::string& OutputFileName() const { return m_OutputName; }

    /// 1 when a descriptor was closed, 0 (and a log line) when none was open.
    int ClosePort();
    /// Fetches pending USB reply bytes into m_QueueRead; 1 when the printer
    /// could be read, 0 (message with the device path) when not.
    int ReadUsbReply();
    /// Waits up to `waitMs` for the USB printer's next reply bytes and
    /// fetches them into m_QueueRead: the byte count, 0 when none came, -1
    /// when the printer cannot be read.
    int AwaitUsbReply(int waitMs);
    bool WatchThreadRunning() const;
    /// Appends the system's serial (parallel false) or parallel port names to `list`.
    int EnumPorts(bool parallel, std::vector<std::string>& list) const {
        return port::EnumPorts(parallel, list, m_Roots);
    }
    const DeviceRoots& Roots() const { return m_Roots; }
    /// The open descriptor, -1 when closed.
    int NativeHandle() const { return m_hComm; }
    /// The clock a stalled parallel or USB write is timed by (tests record it).
    void SetClock(base::Clock& clock) { m_Clock = &clock; }
    /// True once the line hung up under the watch thread (a pty closed, a USB
    /// serial adapter pulled); cleared by the next Open.
    bool HungUp() const { return m_HungUp; }
    /// Reply bytes the watch thread or the USB fetch took in since Open,
    /// wherever they went on from the queue.
    uint64_t ReceivedCount() const { return m_Received.load(); }

    // ByteStream
    PortKind Kind() const override;
    bool Open() override;
    /// Harmless when not open, as every stream's: engines close on every
    /// way out, and only ClosePort itself logs a close of nothing.
    void Close() override {
        if (IsOpen()) ClosePort();
    }
    bool IsOpen() const override { return m_hComm >= 0; }
    size_t Write(std::span<const uint8_t> data) override;
    size_t Write(const void* data, size_t length) {
        return Write(std::span(static_cast<const uint8_t*>(data), length));
    }
    int Read(std::span<uint8_t> buffer, int timeoutMs) override;
    void Purge() override;
    int LastError() const override { return m_LastError; }
    std::string FailureDetail() const override { return m_FailureDetail; }
    base::Reason LinkFault() override;
    base::Reason FailureReason() const override;
    /// A serial line: what the driver still holds (TIOCOUTQ), or what was
    /// written faster than the baud rate lets it out, whichever takes longer;
    /// a driver that buffers beyond its count (a pty) is covered by the second.
    int64_t QueuedLineMs() override;
    /// Serial lines count what left them; a pty and the parallel and USB
    /// drivers cannot tell, so theirs is what they took.
    CountSide Counts() const override;
    void Interrupt() override { m_Interrupt = true; }

    /// A write that makes no progress for this long fails: nothing taken by
    /// the driver, and on a serial line the output queue did not shrink.
    static constexpr int64_t kStallLimitMs = 10'000;

private:
    struct WatchState;

    bool OpenSerial();
    bool OpenParallel();
    bool OpenOutputFile();
    bool OpenUsb();
    bool LockExclusive(int fd);
    bool StartWatchThread();
    void StopWatchThread();
    static int ThreadWatchComm(CPorts* port, std::shared_ptr<WatchState> state);
    int ReadAvailable(int fd, uint8_t* buffer, size_t size);
    /// ReadUsbReply's four passes, all within `budgetMs`.
    int FetchUsbReply(int budgetMs);
    /// Puts a chunk by the chunk rule and wakes readers; "m_QueueRead FULL!" when refused.
    void StoreChunk(std::span<const uint8_t> chunk);
    void NotifyData();
    int TakeFromQueue(std::span<uint8_t> buffer);
    void Fail(int error, std::string detail = {}) {
        m_LastError = error;
        m_FailureDetail = std::move(detail);
    }
    /// Keeps `reason` as the link's fault unless one is kept already; with
    /// `error`, also the failure code and the fault's words.
    void Latch(base::Reason reason, int error);
    /// A write's error: latched when it says the link went, else kept as the failure.
    void LatchLinkError(int error);
    /// The link fault a system error of this port stands for: a hang-up or
    /// shut-down endpoint of a USB device that has left the system is gone.
    base::Reason LinkReasonOfError(int error);
    /// The watch thread saw the line go: ends waits for replies at once.
    void MarkHungUp();
    size_t WriteStalling(std::span<const uint8_t> data);
    void DrainUsbWrites();
    /// Start, data, parity and stop bits of one character on the line.
    int BitsPerCharacter() const;
    /// Counts `count` bytes onto the line, which carries them at its baud rate.
    void NoteLineBytes(size_t count);

    base::CErrorLog& m_Log;
    DeviceRoots m_Roots;
    int m_hComm = -1;
    bool m_Ppdev = false;  ///< the parallel node is ppdev and claimed
    bool m_Pty = false;    ///< the serial line is a pty: no output queue to ask
    PortKind m_OpenKind = PortKind::OutputFile;
    std::string m_OutputName;
    FileNameChooser m_ChooseFileName;
    int m_LastError = 0;
    std::string m_FailureDetail;
    std::atomic<bool> m_HungUp{false};
    std::atomic<uint64_t> m_Received{0};
    std::atomic<bool> m_Interrupt{false};  ///< a cancel gives stalled writes up
    int64_t m_LineFreeAtUs = 0;  ///< when the line has carried every byte written (steady clock)
    base::Reason m_Fault = base::Reason::None;  ///< the first link fault since Open
    bool m_OpenFailed = false;  ///< the last failure was the open's
    std::optional<bool> m_Unplugged;  ///< once asked after a fault: the device left the system
    base::Clock* m_Clock = &base::DefaultClock();
    UsbReplyDecoder m_UsbDecoder;

    mutable std::mutex m_NotifyMutex;
    DataNotify m_hNotifyWnd;

    std::mutex m_DataMutex;
    std::condition_variable m_DataArrived;

    std::shared_ptr<WatchState> m_Watch;
    std::thread m_hThread;
};

}  // namespace korva::port

#include "port/Ports.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include "base/ErrorLog.h"
#include "port/CharDevices.h"
#include "port/DeviceIo.h"
#include "port/DeviceType.h"
#include "port/PortFailures.h"
#include "port/PortPath.h"
#include "port/PortTraits.h"
#include "port/PpdevCalls.h"
#include "port/SerialLine.h"
#include "port/Unplug.h"

namespace korva::port {

namespace {
constexpr const char* kDefaultOutputFile = "temp.prn";
}  // namespace

CPorts::CPorts(base::CErrorLog& log, DeviceRoots roots) : m_Log(log), m_Roots(std::move(roots)) {}

CPorts::~CPorts() {
    if (IsOpen()) ClosePort();
    StopWatchThread();
}

void CPorts::SetConnection(const ConnectionSettings& settings) {
    m_PortName = settings.portName;
    m_BaudRate = settings.baudRate;
    m_DataBits = settings.dataBits;
    m_Parity = settings.parity;
    m_StopBits = settings.stopBits;
    m_FlowControl = settings.flowControl;
    m_DeviceType = settings.deviceType;
    m_UsbNode = settings.usbNode;
}

ConnectionSettings CPorts::Connection() const {
    ConnectionSettings settings;
    settings.portName = m_PortName;
    settings.baudRate = m_BaudRate;
    settings.dataBits = m_DataBits;
    settings.parity = m_Parity;
    settings.stopBits = m_StopBits;
    settings.flowControl = m_FlowControl;
    settings.deviceType = m_DeviceType;
    settings.usbNode = m_UsbNode;
    return settings;
}

void CPorts::SetNotifyWnd(DataNotify notify) {
    std::lock_guard lock(m_NotifyMutex);
    m_hNotifyWnd = std::move(notify);
}

void CPorts::SetFileNameChooser(FileNameChooser chooser) { m_ChooseFileName = std::move(chooser); }

PortKind CPorts::Kind() const {
    return IsOpen() ? m_OpenKind : ClassifyPortPath(m_PortName, m_Roots.sys);
}

bool CPorts::Open() {
    // A second Open without Close would leak the descriptor; start afresh.
    if (IsOpen()) ClosePort();
    m_PortName = NormalizePortName(m_PortName);
    m_OpenKind = ClassifyPortPath(m_PortName, m_Roots.sys);
    Fail(0);
    m_HungUp = false;
    m_Fault = base::Reason::None;
    m_Unplugged.reset();
    m_Received = 0;
    m_Interrupt = false;
    m_LineFreeAtUs = 0;
    ForgetAnswers();
    bool opened = false;
    switch (m_OpenKind) {
    case PortKind::Serial: opened = OpenSerial(); break;
    case PortKind::Parallel: opened = OpenParallel(); break;
    case PortKind::File: opened = OpenOutputFile(); break;
    case PortKind::Usb: opened = OpenUsb(); break;
    case PortKind::Ethernet:
    case PortKind::OutputFile:
    case PortKind::NotAPort:
        m_Log.Log("CPorts::Open() Invalid Handle\r\n");
        Fail(ENODEV);
        break;
    }
    m_OpenFailed = !opened;
    // The cause in words (group, another program, unplugged) for every front end.
    if (!opened && m_FailureDetail.empty())
        m_FailureDetail = OpenFailureDetail(
            m_LastError, TraitsOf(m_OpenKind).lpGroup);
    return opened;
}

bool CPorts::LockExclusive(int fd) {
    // TIOCEXCL keeps other programs off a tty; flock also holds against a
    // second open by a privileged process, which TIOCEXCL lets through.
    const bool tty = ::isatty(fd);
    int wasExclusive = 0;
    if (tty) {
        ::ioctl(fd, TIOCGEXCL, &wasExclusive);
        ::ioctl(fd, TIOCEXCL);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    // The line is someone else's: leave it as exclusive as it was, or that
    // program could not open it again while it still holds it.
    if (tty && wasExclusive == 0) ::ioctl(fd, TIOCNXCL);
    return false;
}

bool CPorts::OpenSerial() {
    if (m_PortName.empty() || m_BaudRate == kUnset || m_DataBits == kUnset ||
        m_FlowControl == kUnset || m_Parity == kUnset) {
        Fail(EINVAL);
        return false;
    }
    const std::string path = DevicePathFor(m_PortName, m_Roots.dev);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || !LockExclusive(fd)) {
        Fail(fd < 0 ? errno : EBUSY);
        if (fd >= 0) ::close(fd);
        m_Log.Log("CPorts::Open() CreateFile error\r\n");
        return false;
    }
    const auto failWith = [&](int error) {
        Fail(error);
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return false;
    };
    termios driver{};
    if (::tcgetattr(fd, &driver) != 0) {
        const int error = errno;
        m_Log.Log("CPorts::Open() GetCommState failed.\r\n");
        return failWith(error);
    }
    termios line{};
    int error = BuildTermios(driver, Connection(), line);
    if (error == 0 && ::tcsetattr(fd, TCSANOW, &line) != 0) error = errno;
    if (error != 0) {
        m_Log.Log("CPorts::Open() SetCommstate failed(%d).\r\n", error);
        return failWith(error);
    }
    // DTR stays on while the port is open with hardware flow; with no flow
    // control DTR and RTS are left off. A pty has no modem lines: ignored.
    int lines = TIOCM_DTR;
    if (m_FlowControl == kFlowHardware) ::ioctl(fd, TIOCMBIS, &lines);
    lines = TIOCM_DTR | TIOCM_RTS;
    if (m_FlowControl == kFlowNone) ::ioctl(fd, TIOCMBIC, &lines);
    ::tcflush(fd, TCIOFLUSH);

    struct stat node {};
    m_Pty = ::fstat(fd, &node) == 0 && ::major(node.st_rdev) >= kMajorPtsFirst &&
            ::major(node.st_rdev) <= kMajorPtsLast;
    m_hComm = fd;
    const bool needsWatch = m_CurrentTool == kToolUserSetup ||
                            (m_CurrentTool == kToolFirmware && m_DeviceType == kDeviceTypeKorva10);
    if (needsWatch && !StartWatchThread()) {
        ClosePort();
        Fail(EAGAIN);
        return false;
    }
    m_bConnected = 1;
    return true;
}

bool CPorts::OpenParallel() {
    const std::string path = DevicePathFor(m_PortName, m_Roots.dev);
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || !LockExclusive(fd)) {
        Fail(fd < 0 ? errno : EBUSY);
        if (fd >= 0) ::close(fd);
        m_Log.Log("CPorts::Open() CreateFile error\r\n");
        return false;
    }
    // A ppdev node must be claimed before it is written. Every parallel node
    // stays non-blocking: a printer that stops taking data must not hold the
    // write for good.
    m_Ppdev = SystemPpdevCalls().Claim(fd) == 0;
    m_hComm = fd;
    m_bConnected = 1;
    return true;
}

bool CPorts::OpenOutputFile() {
    std::optional<std::string> chosen;
    if (m_ChooseFileName) chosen = m_ChooseFileName();
    m_OutputName = chosen && !chosen->empty() ? *chosen : kDefaultOutputFile;
    const int fd = ::open(m_OutputName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        // Reported, instead of a port that only fails at its first write.
        Fail(errno);
        m_Log.Log("CPorts::Open() CreateFile error\r\n");
        return false;
    }
    m_hComm = fd;
    m_bConnected = 1;
    return true;
}

bool CPorts::OpenUsb() {
    int fd = -1;
    // A usblp node given as the port name is that printer, like a chosen node.
    const std::string node = m_UsbNode.empty() && ClassifyPseudoName(m_PortName) != PortKind::Usb
                                 ? m_PortName
                                 : m_UsbNode;
    int openError = ENODEV;
    if (node.empty()) {
        fd = OpenUsbPrinter(UsbIdPrefixForDeviceType(m_DeviceType), m_UsbPath, m_Log, m_Roots,
                            &openError);
    } else {
        m_UsbPath = node;
        fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            m_Log.Log("CreateFile Fail [%d]", error);
            Fail(error);
            return false;
        }
    }
    if (fd < 0) {
        // The open's own error tells the user the fix (group lp, a spooler holding it).
        Fail(openError);
        return false;
    }
    m_UsbDecoder.Reset();
    m_hComm = fd;
    m_bConnected = 1;
    return true;
}

int CPorts::ClosePort() {
    if (m_hComm < 0) {
        m_Log.Log("CPorts::Close() Invalid Handle\r\n");
        return 0;
    }
    m_bConnected = 0;
    StopWatchThread();
    if (m_OpenKind == PortKind::Usb) DrainUsbWrites();
    // Unlock explicitly: a watch thread still held in a notification keeps a
    // duplicate of the descriptor until it returns, and must not keep the line.
    ::flock(m_hComm, LOCK_UN);
    if (m_OpenKind == PortKind::Serial) ::ioctl(m_hComm, TIOCNXCL);
    if (m_Ppdev) SystemPpdevCalls().Release(m_hComm);
    m_Ppdev = false;
    ::close(m_hComm);
    m_hComm = -1;
    return 1;
}

size_t CPorts::Write(std::span<const uint8_t> data) {
    if (m_hComm < 0 || data.empty()) return 0;
    if (m_OpenKind == PortKind::File) {
        const WriteOutcome outcome = WriteAll(m_hComm, data, -1);
        if (outcome.error != 0) Fail(outcome.error);
        return outcome.written == data.size() ? data.size() : 0;
    }
    if (TraitsOf(m_OpenKind).stall == StallRule::NoProgress) return WriteStalling(data);
    // A slow line is no stall: the write goes on while the driver takes bytes
    // or its output queue shrinks.
    const WriteOutcome outcome =
        WriteAll(m_hComm, data, -1, &m_Interrupt,
                 m_OpenKind == PortKind::Serial ? SerialCancelWindow(m_BaudRate) : CancelWindow{},
                 kStallLimitMs);
    NoteLineBytes(outcome.written);
    if (outcome.error == ECANCELED) {
        Fail(ECANCELED, CountedDetail(kTextCancelledStalled, outcome.written, data.size(), Counts()));
        return outcome.written;
    }
    if (outcome.error != 0) {
        // EIO on a tty whose other end is gone: the line hung up.
        LatchLinkError(outcome.error);
        m_Log.Log("WriteFile get error result [%d]", outcome.error);
        return outcome.written;
    }
    size_t written = outcome.written;
    bool timedOut = outcome.timedOut;
    // The write is done when the bytes have left, not when the driver took them.
    if (!timedOut && m_OpenKind == PortKind::Serial) {
        const int drained = WaitOutputDrained(m_hComm, m_BaudRate, kStallLimitMs, &m_Interrupt);
        if (drained == ECANCELED) {
            int pending = 0;
            if (::ioctl(m_hComm, TIOCOUTQ, &pending) == 0 && pending > 0)
                written -= std::min(written, static_cast<size_t>(pending));
            Fail(ECANCELED, CountedDetail(kTextCancelledStalled, written, data.size(), Counts()));
            return written;
        }
        if (drained != 0 && drained != ETIMEDOUT) {
            // A queue that cannot be read (a hung-up line answers EIO) is no
            // proof that the bytes left.
            const base::Reason reason = LinkReasonOfError(drained);
            Latch(reason, drained);
            if (reason == base::Reason::Failed) Fail(drained, kTextQueueUnknown);
            m_Log.Log("WriteFile output queue unreadable [%d]", drained);
            return 0;
        }
        if (drained == ETIMEDOUT) {
            int pending = 0;
            if (::ioctl(m_hComm, TIOCOUTQ, &pending) == 0 && pending > 0) {
                written -= std::min(written, static_cast<size_t>(pending));
            }
            ::tcflush(m_hComm, TCOFLUSH);
            timedOut = true;
        }
    }
    if (timedOut) {
        Fail(ETIMEDOUT, CountedDetail(kTextStalled, written, data.size(), Counts()));
        m_Log.Log("WriteFile Time-out!");
    }
    return written;
}

// usblp kills a transfer still under way when its node is closed; a
// non-blocking writer waits for POLLOUT (the last write completed) first,
// within the same limit a stalled write has.
void CPorts::DrainUsbWrites() {
    const int64_t end = SteadyNowMs() + kStallLimitMs;
    for (;;) {
        const int64_t left = end - SteadyNowMs();
        if (left <= 0 || WaitsStopped(&m_Interrupt)) {
            m_Log.Log("USB close: the printer did not take the last data");
            return;
        }
        pollfd look{m_hComm, POLLOUT, 0};
        const int ready = ::poll(&look, 1, static_cast<int>(std::min<int64_t>(left, kStallSliceMs)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready != 0) return;  // drained, or gone: nothing more to wait for
    }
}

void CPorts::Latch(base::Reason reason, int error) {
    if (error != 0) Fail(error, LinkFaultText(reason));
    if (m_Fault == base::Reason::None) m_Fault = reason;
}

base::Reason CPorts::LinkReasonOfError(int error) {
    const base::Reason reason = LinkReasonOf(error);
    if (reason != base::Reason::HangUp && error != ESHUTDOWN) return reason;
    // Asked once: a line that hung up stays hung up, and the answer may take a moment.
    if (!m_Unplugged) m_Unplugged = DeviceUnplugged(m_hComm, m_Roots.sys, kUnplugSettleMs);
    return *m_Unplugged ? base::Reason::Gone : reason;
}

void CPorts::LatchLinkError(int error) {
    // Only errors that say the link went; a refused write (ENOSPC, EINVAL)
    // fails that write alone.
    const base::Reason reason = LinkReasonOfError(error);
    if (reason == base::Reason::Failed) {
        Fail(error);
    } else {
        Latch(reason, error);
    }
}

base::Reason CPorts::FailureReason() const {
    if (m_Fault != base::Reason::None) return m_Fault;
    if (m_LastError == 0) return base::Reason::None;
    if (m_LastError == ECANCELED) return base::Reason::Cancelled;
    const bool file = m_OpenKind == PortKind::File || m_OpenKind == PortKind::OutputFile;
    if (m_OpenFailed) {
        const base::Reason reason = OpenFailureReason(m_LastError);
        return file && reason == base::Reason::Failed ? base::Reason::FileIo : reason;
    }
    if (file) return base::Reason::FileIo;
    return LinkReasonOf(m_LastError);
}

base::Reason CPorts::LinkFault() {
    if (m_Fault != base::Reason::None) return m_Fault;
    if (m_HungUp) {
        Latch(LinkReasonOfError(EIO), EIO);
    } else if (m_hComm >= 0 && (m_OpenKind == PortKind::Serial || m_OpenKind == PortKind::Usb)) {
        // A line hung up after the last write shows only here: a pty whose
        // other end closed, an unplugged adapter or USB printer.
        pollfd look{m_hComm, 0, 0};
        if (::poll(&look, 1, 0) > 0 && (look.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
            Latch(m_OpenKind == PortKind::Usb ? base::Reason::Gone : LinkReasonOfError(EIO), EIO);
    }
    return m_Fault;
}

// ppdev and lp never say when they take more, and lp and usblp block for good
// on a printer that is out of paper: non-blocking writes, retried until the
// printer has taken nothing for kStallLimitMs.
size_t CPorts::WriteStalling(std::span<const uint8_t> data) {
    const int fd = m_hComm;
    const WriteOutcome outcome = WriteRetrying(
        [fd](const uint8_t* bytes, size_t n) { return ::write(fd, bytes, n); }, data, kStallLimitMs,
        -1, *m_Clock, 10, &m_Interrupt);
    if (outcome.error == ECANCELED) {
        Fail(ECANCELED, CountedDetail(kTextCancelledStalled, outcome.written, data.size(), Counts()));
    } else if (outcome.error != 0) {
        // ENODEV: a USB printer unplugged; EIO, EPIPE: the device gave up,
        // or usblp saw its transfer killed by the unplug before the unplug.
        const base::Reason reason = LinkReasonOfError(outcome.error);
        if (reason != base::Reason::Failed) Latch(reason, 0);
        Fail(outcome.error, CountedDetail(reason == base::Reason::Failed ? kTextHungUp : LinkFaultText(reason),
                                          outcome.written, data.size(), Counts()));
        m_Log.Log("WriteFile get error result [%d]", outcome.error);
    } else if (outcome.timedOut) {
        Latch(base::Reason::Stalled, 0);
        Fail(ETIMEDOUT, CountedDetail(kTextStalled, outcome.written, data.size(), Counts()));
        m_Log.Log("WriteFile Time-out!");
    }
    return outcome.written;
}

CountSide CPorts::Counts() const { return m_Pty ? CountSide::Port : ByteStream::Counts(); }

int CPorts::BitsPerCharacter() const {
    const int data = m_DataBits > 0 ? m_DataBits : 8;
    const int parity = m_Parity == kParityOdd || m_Parity == kParityEven ? 1 : 0;
    const int stop = m_StopBits == kStopBits1 ? 1 : 2;  // 1.5 counted as 2
    return 1 + data + parity + stop;
}

void CPorts::NoteLineBytes(size_t count) {
    if (m_BaudRate <= 0 || count == 0) return;
    const int64_t now = SteadyNowUs();
    const auto lineUs = static_cast<int64_t>(count) * BitsPerCharacter() * 1'000'000 / m_BaudRate;
    m_LineFreeAtUs = std::max(m_LineFreeAtUs, now) + lineUs;
}

int64_t CPorts::QueuedLineMs() {
    if (m_hComm < 0 || m_OpenKind != PortKind::Serial || m_BaudRate <= 0) return 0;
    int pending = 0;
    const int64_t heldMs = ::ioctl(m_hComm, TIOCOUTQ, &pending) == 0 && pending > 0
                               ? int64_t{pending} * BitsPerCharacter() * 1000 / m_BaudRate
                               : 0;
    const int64_t aheadMs = std::max<int64_t>(0, m_LineFreeAtUs - SteadyNowUs()) / 1000;
    return std::max(heldMs, aheadMs);
}

void CPorts::Purge() {
    if (m_hComm >= 0 && m_OpenKind == PortKind::Serial) ::tcflush(m_hComm, TCIOFLUSH);
    m_QueueRead.DiscardAll();
}

}  // namespace korva::port

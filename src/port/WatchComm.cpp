// Receiving side of CPorts: the serial watch thread, USB reply fetching and Read.
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "base/MessageBox.h"
#include "base/Messages.h"
#include "port/DeviceIo.h"
#include "port/PortFailures.h"
#include "port/Ports.h"

namespace korva::port {

namespace {
constexpr size_t kSerialChunk = 2048;  // one read of the watch thread
constexpr size_t kUsbBlock = 256;      // one USB reply read
constexpr int kUsbPasses = 4;
constexpr int kUsbPassWaitMs = 100;
/// A line that polls readable and then reads nothing this many times running
/// has reached its end (a flush of the input can explain one such wake).
constexpr int kEmptyWakesForHangUp = 3;
/// How long Close waits for the watch thread before leaving it to end alone
/// (it can only be late while a notification or message box holds it).
constexpr auto kWatchStopWait = std::chrono::milliseconds(1000);
}  // namespace

/// What the watch thread owns. Shared with the port so that the thread never
/// waits on a descriptor Close has closed: it polls its own duplicate.
struct CPorts::WatchState {
    int fd = -1;
    int wakeFd = -1;  ///< eventfd written by Close
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;

    ~WatchState() {
        if (fd >= 0) ::close(fd);
        if (wakeFd >= 0) ::close(wakeFd);
    }
};

bool CPorts::StartWatchThread() {
    StopWatchThread();
    auto state = std::make_shared<WatchState>();
    state->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    state->fd = ::fcntl(m_hComm, F_DUPFD_CLOEXEC, 0);
    if (state->wakeFd < 0 || state->fd < 0) {
        // The port stays open for writing; nothing will be received on it.
        base::ShowMessage(std::string(base::Message(base::kMsgCreateWatchThread)) + m_PortName);
        return true;
    }
    try {
        m_hThread = std::thread(ThreadWatchComm, this, state);
    } catch (const std::system_error&) {
        return false;
    }
    m_Watch = std::move(state);
    return true;
}

void CPorts::StopWatchThread() {
    if (!m_Watch) return;
    m_Watch->stop = true;
    const uint64_t one = 1;
    (void)!::write(m_Watch->wakeFd, &one, sizeof one);
    bool finished = false;
    {
        std::unique_lock lock(m_Watch->mutex);
        finished = m_Watch->ended.wait_for(lock, kWatchStopWait,
                                           [&] { return m_Watch->finished; });
    }
    if (finished) {
        m_hThread.join();
    } else {
        m_hThread.detach();  // held in a notification; it ends when that returns
    }
    m_Watch.reset();
}

bool CPorts::WatchThreadRunning() const {
    if (!m_Watch) return false;
    std::lock_guard lock(m_Watch->mutex);
    return !m_Watch->finished;
}

// Ends by itself when the line hangs up (POLLHUP or POLLERR, or a read that
// returns nothing after poll said there was something: a pty closed, a USB
// serial adapter pulled), after taking what was still waiting, and says so.
int CPorts::ThreadWatchComm(CPorts* port, std::shared_ptr<WatchState> state) {
    uint8_t buffer[kSerialChunk];
    bool hungUp = false;
    int emptyWakes = 0;  // readable, yet nothing came: a purge may race one, not three
    while (!state->stop && !hungUp) {
        pollfd watch[2] = {{state->fd, POLLIN, 0}, {state->wakeFd, POLLIN, 0}};
        if (::poll(watch, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (state->stop || watch[1].revents != 0) break;
        const short events = watch[0].revents;
        hungUp = (events & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        if ((events & POLLIN) == 0) continue;
        bool got = false;
        for (int n; !state->stop;) {
            n = port->ReadAvailable(state->fd, buffer, sizeof buffer);
            if (n <= 0) {
                if (!got && (n < 0 || ++emptyWakes >= kEmptyWakesForHangUp)) hungUp = true;
                break;
            }
            emptyWakes = 0;
            port->StoreChunk(std::span(buffer, static_cast<size_t>(n)));
            got = true;
        }
        if (got && !state->stop) port->NotifyData();
    }
    if (hungUp && !state->stop) port->MarkHungUp();
    std::lock_guard lock(state->mutex);
    state->finished = true;
    state->ended.notify_all();
    return 1;
}

void CPorts::MarkHungUp() {
    m_HungUp = true;
    {
        std::lock_guard lock(m_DataMutex);
        m_DataArrived.notify_all();
    }
    // The window hears of it like of new data and finds the port gone.
    NotifyData();
}

int CPorts::ReadAvailable(int fd, uint8_t* buffer, size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0) return static_cast<int>(n);
        if (errno == EAGAIN) return 0;
        if (errno != EINTR) return -1;
    }
}

void CPorts::StoreChunk(std::span<const uint8_t> chunk) {
    if (chunk.empty()) return;
    m_Received += chunk.size();
    if (!m_QueueRead.PutChunk(chunk)) {
        base::ShowMessage(base::Message(base::kMsgQueueFull));
        return;
    }
    std::lock_guard lock(m_DataMutex);
    m_DataArrived.notify_all();
}

void CPorts::NotifyData() {
    DataNotify notify;
    {
        std::lock_guard lock(m_NotifyMutex);
        notify = m_hNotifyWnd;
    }
    if (notify) notify();
}

int CPorts::ReadUsbReply() { return FetchUsbReply(kUsbPasses * kUsbPassWaitMs); }

int CPorts::AwaitUsbReply(int waitMs) {
    if (m_hComm < 0 || m_OpenKind != PortKind::Usb) return -1;
    uint8_t raw[kUsbBlock];
    uint8_t decoded[kUsbBlock];
    const int n = ReadWithin(m_hComm, raw, waitMs);
    if (n <= 0) return n;
    const size_t count = m_UsbDecoder.Decode(std::span(raw, static_cast<size_t>(n)), decoded);
    StoreChunk(std::span(decoded, count));
    NotifyData();
    return n;
}

int CPorts::FetchUsbReply(int budgetMs) {
    // usblp allows one open at a time, so replies are read on the port's own
    // descriptor instead of a second one.
    if (m_hComm < 0 || m_OpenKind != PortKind::Usb) {
        base::ShowMessage(m_UsbPath);
        return 0;
    }
    uint8_t raw[kUsbBlock];
    uint8_t decoded[kUsbBlock];
    const int64_t end = SteadyNowMs() + budgetMs;
    for (int pass = 0; pass < kUsbPasses; ++pass) {
        const int64_t left = end - SteadyNowMs();
        if (left <= 0) break;
        const int n = ReadWithin(m_hComm, raw, static_cast<int>(std::min<int64_t>(left, kUsbPassWaitMs)));
        if (n <= 0) continue;
        const size_t count = m_UsbDecoder.Decode(std::span(raw, static_cast<size_t>(n)), decoded);
        StoreChunk(std::span(decoded, count));
        NotifyData();
    }
    return 1;
}

int CPorts::TakeFromQueue(std::span<uint8_t> buffer) {
    size_t count = 0;
    while (count < buffer.size() && !m_QueueRead.IsEmpty()) buffer[count++] = m_QueueRead.Get();
    return static_cast<int>(count);
}

int CPorts::Read(std::span<uint8_t> buffer, int timeoutMs) {
    if (m_hComm < 0) return -1;
    if (buffer.empty()) return 0;
    if (m_OpenKind == PortKind::Serial) {
        bool watched = false;
        if (WatchThreadRunning()) {
            watched = true;
            std::unique_lock lock(m_DataMutex);
            m_DataArrived.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                                   [&] { return !m_QueueRead.IsEmpty() || m_HungUp; });
        }
        if (!m_QueueRead.IsEmpty()) return TakeFromQueue(buffer);
        if (m_HungUp) {
            Latch(LinkReasonOfError(EIO), EIO);
            return -1;
        }
        // While the watch thread reads the line, a second reader would steal its
        // bytes and leave it woken with nothing, which it takes for a hang-up.
        if (watched) return 0;
        const int n = ReadWithin(m_hComm, buffer, timeoutMs);
        if (n < 0) Latch(LinkReasonOfError(EIO), EIO);
        return n;
    }
    if (m_OpenKind == PortKind::Usb) {
        const int64_t end = SteadyNowMs() + std::max(timeoutMs, 0);
        for (int64_t left = end - SteadyNowMs(); m_QueueRead.IsEmpty() && left > 0;
             left = end - SteadyNowMs()) {
            if (FetchUsbReply(static_cast<int>(left)) == 0) return -1;
        }
        return TakeFromQueue(buffer);
    }
    return -1;  // parallel ports and files are written only
}

}  // namespace korva::port

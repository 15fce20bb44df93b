#include "port/ParPortCtl.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/parport.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

#include "base/ErrorLog.h"
#include "port/DeviceIo.h"
#include "port/PortPath.h"

namespace korva::port {

namespace {

void Signal(int event) {
    const uint64_t one = 1;
    (void)!::write(event, &one, sizeof one);
}

/// Takes one count of a semaphore eventfd; false when there was none.
bool TakeOne(int event) {
    uint64_t value = 0;
    return ::read(event, &value, sizeof value) > 0;
}

void Reset(int event) {
    uint64_t value = 0;
    while (::read(event, &value, sizeof value) > 0) {
    }
}

bool IsSignalled(int event) {
    pollfd p{event, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

}  // namespace

ParPortCtl::ParPortCtl(base::CErrorLog& log, std::string devRoot, PpdevCalls& ppdev,
                       base::Clock& clock)
    : m_Log(log), m_DevRoot(std::move(devRoot)), m_Calls(ppdev), m_Clock(clock) {
    m_StopEvent = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_ReadEvent = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK | EFD_SEMAPHORE);
}

ParPortCtl::~ParPortCtl() {
    if (m_Thread.joinable()) StopReadThread();
    if (m_Device >= 0) ::close(m_Device);
    if (m_StopEvent >= 0) ::close(m_StopEvent);
    if (m_ReadEvent >= 0) ::close(m_ReadEvent);
}

void ParPortCtl::SetErrorText(const std::string& text) {
    std::lock_guard lock(m_TextMutex);
    m_ErrorText = text;
}

void ParPortCtl::SetError(int code, const std::string& text) {
    m_LastErrorCode = code;
    SetErrorText(text);
}

std::string ParPortCtl::GetErrorText() const {
    std::lock_guard lock(m_TextMutex);
    return m_ErrorText;
}

std::array<uint8_t, 4> ParPortCtl::LastStatus() const {
    std::lock_guard lock(m_TextMutex);
    return m_LastStatus;
}

int ParPortCtl::OpenPort(const std::string& name) {
    if (m_Device >= 0) ClosePort();
    const std::string path = DevicePathFor(name, m_DevRoot);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        SetError(error, "[ParPortCtl] CreateFile fail : " + std::to_string(error));
        return 0;
    }
    // The node stays non-blocking: a ppdev read or write then returns EAGAIN
    // instead of looping in the kernel while the printer is silent or busy.
    m_Ppdev = m_Calls.Claim(fd) == 0;
    m_Mode = m_Ppdev ? IEEE1284_MODE_COMPAT : -1;  // where a claimed port starts
    m_Device = fd;
    m_LastErrorCode = 0;
    m_Opened = 1;
    return 1;
}

int ParPortCtl::UseMode(int mode) {
    if (m_Mode == mode) return 0;
    const int error = m_Calls.Negotiate(m_Device, mode);
    m_Mode = error == 0 ? mode : -1;
    return error;
}

int ParPortCtl::WritePort(const uint8_t* buffer, size_t length) {
    if (!m_Opened) return 0;
    const std::span data(buffer, length);
    WriteOutcome outcome;
    if (m_Ppdev) {
        std::lock_guard lock(m_ModeLock);
        outcome.error = UseMode(IEEE1284_MODE_COMPAT);
        if (outcome.error == 0) {
            const int fd = m_Device;
            outcome = WriteRetrying(
                [&](const uint8_t* bytes, size_t n) { return m_Calls.Write(fd, bytes, n); }, data,
                kWriteWaitMs, kWriteWaitMs, m_Clock);
        }
    } else {
        outcome = WriteAll(m_Device, data, kWriteWaitMs);
    }
    if (outcome.error != 0) {
        SetError(outcome.error, "[ParPortCtl] Write fail : " + std::to_string(outcome.error));
        return 0;
    }
    if (outcome.timedOut) return 0;  // no text: the caller reports the time-out
    return static_cast<int>(outcome.written);
}

bool ParPortCtl::StopRequested() const { return IsSignalled(m_StopEvent); }

int ParPortCtl::ReadFailed(int error) {
    m_LastErrorCode = error;
    SetErrorText("[ParPortCtl] Read fail : " + std::to_string(error) + "\r\n");
    m_Log.Log("[ParPortCtl] Read fail : %d", error);
    return 0;
}

int ParPortCtl::ReadPort(uint8_t* buffer, size_t length) {
    if (!m_Opened || StopRequested()) return 0;
    return m_Ppdev ? ReadPpdev(buffer, length) : ReadStream(buffer, length);
}

// Nibble-mode reads, tried every 10 ms: ppdev has no poll without an
// interrupt line, and a blocking read would not end while the printer is silent.
int ParPortCtl::ReadPpdev(uint8_t* buffer, size_t length) {
    const int64_t start = m_Clock.NowMs();
    for (;;) {
        ssize_t n = 0;
        int error = 0;
        {
            std::lock_guard lock(m_ModeLock);
            error = UseMode(IEEE1284_MODE_NIBBLE);
            if (error == 0) {
                n = m_Calls.Read(m_Device, buffer, length);
                if (n < 0) error = errno;
            }
        }
        if (n > 0) return static_cast<int>(n);
        if (error != 0 && error != EAGAIN && error != EINTR) return ReadFailed(error);
        if (!m_Opened || StopRequested() || m_Clock.NowMs() - start >= kReadLimitMs) return 0;
        m_Clock.SleepMs(kPpdevRetryMs);
    }
}

int ParPortCtl::ReadStream(uint8_t* buffer, size_t length) {
    const int64_t end = SteadyNowMs() + kReadLimitMs;
    for (;;) {
        const int64_t left = end - SteadyNowMs();
        if (left <= 0) return 0;
        pollfd watch[2] = {{m_Device, POLLIN, 0}, {m_StopEvent, POLLIN, 0}};
        const int ready = ::poll(watch, 2, static_cast<int>(left));
        if (ready < 0) {
            if (errno == EINTR) continue;
            return ReadFailed(errno);
        }
        if (ready == 0 || watch[1].revents != 0) return 0;
        const ssize_t n = ::read(m_Device, buffer, length);
        if (n > 0) return static_cast<int>(n);
        if (n == 0) return 0;  // the other end is gone: nothing read
        if (errno == EAGAIN || errno == EINTR) continue;
        return ReadFailed(errno);
    }
}

int ParPortCtl::StartReadThread() {
    if (m_Thread.joinable()) StopReadThread();
    // Only the stop request is cleared: reads asked for before the thread
    // runs (the requests just sent) are the ones that fetch their replies.
    Reset(m_StopEvent);
    m_ThreadEnded = false;
    try {
        m_Thread = std::thread(&ParPortCtl::ReceiveThread, this);
    } catch (const std::system_error& failure) {
        m_ThreadEnded = true;
        const int error = failure.code().value();
        SetError(error, "[ParPortCtl] CreateThread fail : " + std::to_string(error));
        return 0;
    }
    return 1;
}

int ParPortCtl::TriggerRead() {
    Signal(m_ReadEvent);
    return 1;
}

void ParPortCtl::DrainAfterStop() {
    // What is still waiting on the line is thrown away; a closed port has nothing.
    uint8_t discard[kReadBlock];
    for (int i = 0; i < 3 && m_Opened && !m_Ppdev; ++i) {
        if (::read(m_Device, discard, sizeof discard) <= 0) break;
    }
}

void ParPortCtl::ReceiveThread() {
    uint8_t block[kReadBlock];
    for (;;) {
        pollfd watch[2] = {{m_StopEvent, POLLIN, 0}, {m_ReadEvent, POLLIN, 0}};
        if (::poll(watch, 2, -1) < 0 && errno != EINTR) break;
        if (watch[0].revents != 0) {
            DrainAfterStop();
            break;
        }
        if (watch[1].revents == 0 || !TakeOne(m_ReadEvent)) continue;
        const int n = ReadPort(block, sizeof block);
        if (n > 0 && !StoreBlock(std::span(block, static_cast<size_t>(n)))) {
            SetErrorText("Receive Queue is FULL!");
            break;
        }
    }
    Reset(m_StopEvent);
    m_ThreadEnded = true;
}

bool ParPortCtl::StoreBlock(std::span<const uint8_t> block) {
    for (size_t i = 0; i < block.size();) {
        if (i + 4 <= block.size() && IsAutomaticStatusBlock(block.subspan(i, 4))) {
            std::lock_guard lock(m_TextMutex);
            std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(i), 4, m_LastStatus.begin());
            i += 4;
            continue;
        }
        const uint32_t write = m_WritePos.load(std::memory_order_relaxed);
        const uint32_t next = (write + 1) % kQueueSize;
        if (next == m_ReadPos.load(std::memory_order_acquire)) return false;
        m_Queue[write] = block[i++];
        m_WritePos.store(next, std::memory_order_release);
    }
    return true;
}

uint8_t ParPortCtl::GetByte(int& status) {
    const uint32_t read = m_ReadPos.load(std::memory_order_relaxed);
    if (read == m_WritePos.load(std::memory_order_acquire)) {
        SetErrorText("[ParPortCtl] Receive Queue is Empty");
        status = -1;
        return 0;
    }
    const uint8_t byte = m_Queue[read];
    m_ReadPos.store((read + 1) % kQueueSize, std::memory_order_release);
    status = 1;
    return byte;
}

int ParPortCtl::StopReadThread() {
    if (!m_Thread.joinable()) return 1;
    Signal(m_StopEvent);
    m_Thread.join();
    return 1;
}

int ParPortCtl::ClosePort() {
    m_Opened = 0;
    StopReadThread();
    m_Clock.SleepMs(kCloseWaitMs);
    if (m_Device >= 0) {
        if (m_Ppdev) m_Calls.Release(m_Device);
        ::close(m_Device);
        m_Device = -1;
        m_Ppdev = false;
    }
    return 1;
}

}  // namespace korva::port

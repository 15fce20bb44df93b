#include "port/DeviceIo.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace korva::port {

namespace {
std::atomic<bool> g_StopStalled{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
}  // namespace

void StopStalledWaits() { g_StopStalled.store(true); }

bool WaitsStopped(const std::atomic<bool>* own) {
    return g_StopStalled.load() || (own != nullptr && own->load());
}

int64_t SteadyNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t SteadyNowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

CancelWindow SerialCancelWindow(int baudRate) {
    constexpr int64_t kBurstBytes = 2048;
    if (baudRate <= 0) return {kStallSliceMs, true};
    // Ten bit times per character.
    return {std::max<int64_t>(kStallSliceMs, kBurstBytes * 10'000 / baudRate), true};
}

WriteOutcome WriteAll(int fd, std::span<const uint8_t> data, int64_t deadlineMs,
                      const std::atomic<bool>* interrupt, CancelWindow window, int64_t stallMs) {
    WriteOutcome outcome;
    const int64_t end = deadlineMs < 0 ? -1 : SteadyNowMs() + deadlineMs;
    int64_t lastProgress = SteadyNowMs();
    int leastQueued = -1;  // the driver's queue since the last write it took
    while (outcome.written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + outcome.written, data.size() - outcome.written);
        if (n > 0) {
            outcome.written += static_cast<size_t>(n);
            lastProgress = SteadyNowMs();
            leastQueued = -1;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            outcome.error = errno;
            return outcome;
        }
        int queued = 0;
        if (window.watchQueue && ::ioctl(fd, TIOCOUTQ, &queued) == 0) {
            if (leastQueued >= 0 && queued < leastQueued) lastProgress = SteadyNowMs();
            if (leastQueued < 0 || queued < leastQueued) leastQueued = queued;
        }
        if (SteadyNowMs() - lastProgress >= window.sliceMs && WaitsStopped(interrupt)) {
            outcome.error = ECANCELED;
            return outcome;
        }
        // Waits in slices, so a cancel reaches a stalled write soon.
        int64_t wait = kStallSliceMs;
        for (const int64_t limit : {end, stallMs < 0 ? int64_t{-1} : lastProgress + stallMs}) {
            if (limit < 0) continue;
            const int64_t left = limit - SteadyNowMs();
            if (left <= 0) {
                outcome.timedOut = true;
                return outcome;
            }
            wait = std::min(wait, left);
        }
        pollfd watch{fd, POLLOUT, 0};
        const int ready = ::poll(&watch, 1, static_cast<int>(wait));
        if (ready < 0 && errno != EINTR) {
            outcome.error = errno;
            return outcome;
        }
        if (ready > 0 && (watch.revents & (POLLERR | POLLNVAL)) != 0) {
            outcome.error = EIO;
            return outcome;
        }
    }
    return outcome;
}

WriteOutcome WriteRetrying(const RawWrite& write, std::span<const uint8_t> data, int64_t stallMs,
                           int64_t totalMs, base::Clock& clock, int retryMs,
                           const std::atomic<bool>* interrupt) {
    WriteOutcome outcome;
    const int64_t start = clock.NowMs();
    int64_t lastProgress = start;
    while (outcome.written < data.size()) {
        const ssize_t n = write(data.data() + outcome.written, data.size() - outcome.written);
        if (n > 0) {
            outcome.written += static_cast<size_t>(n);
            lastProgress = clock.NowMs();
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            outcome.error = errno;
            return outcome;
        }
        const int64_t now = clock.NowMs();
        if (now - lastProgress >= kStallSliceMs && WaitsStopped(interrupt)) {
            outcome.error = ECANCELED;
            return outcome;
        }
        if (now - lastProgress >= stallMs || (totalMs >= 0 && now - start >= totalMs)) {
            outcome.timedOut = true;
            return outcome;
        }
        clock.SleepMs(retryMs);
    }
    return outcome;
}

int WaitOutputDrained(int fd, int baudRate, int64_t stallMs,
                      const std::atomic<bool>* interrupt) {
    const int64_t sliceMs = SerialCancelWindow(baudRate).sliceMs;
    int least = -1;
    int64_t lastProgress = SteadyNowMs();
    for (;;) {
        int pending = 0;
        if (::ioctl(fd, TIOCOUTQ, &pending) != 0) return errno != 0 ? errno : EIO;
        if (pending <= 0) return 0;
        if (least < 0 || pending < least) {
            least = pending;
            lastProgress = SteadyNowMs();
        } else if (SteadyNowMs() - lastProgress >= sliceMs && WaitsStopped(interrupt)) {
            return ECANCELED;
        }
        const int64_t left = lastProgress + stallMs - SteadyNowMs();
        if (left <= 0) return ETIMEDOUT;
        // Ten bit times per character at the line's rate, at least 1 ms.
        const int64_t needMs = baudRate > 0 ? int64_t{pending} * 10'000 / baudRate : 10;
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::clamp<int64_t>(needMs, 1, std::min<int64_t>(left, 50))));
    }
}

int ReadWithin(int fd, std::span<uint8_t> buffer, int timeoutMs) {
    if (buffer.empty()) return 0;
    const int64_t end = SteadyNowMs() + std::max(timeoutMs, 0);
    short events = 0;  // what poll reported before this read
    int emptyWakes = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n > 0) return static_cast<int>(n);
        if (n < 0 && errno != EAGAIN && errno != EINTR) return -1;
        // n == 0 on a tty set to return at once means "nothing yet", unless
        // poll keeps saying there is something: then the line has hung up (a
        // flush of the input can explain one such wake, not three).
        if ((events & (POLLHUP | POLLERR | POLLNVAL)) != 0) return -1;
        if (n == 0 && (events & POLLIN) != 0 && ++emptyWakes >= 3) return -1;
        const int64_t left = end - SteadyNowMs();
        if (left <= 0) return 0;
        pollfd watch{fd, POLLIN, 0};
        const int ready = ::poll(&watch, 1, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) return -1;
        events = ready > 0 ? watch.revents : 0;
    }
}

}  // namespace korva::port

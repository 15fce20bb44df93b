#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <sys/types.h>

#include "base/Clock.h"

namespace korva::port {

/// A stalled wait gives way to a cancel after this long without progress; a
/// printer that takes data finishes the write first.
inline constexpr int kStallSliceMs = 250;

/// Asks every write or wait that has made no progress for kStallSliceMs to
/// give up with ECANCELED. Async-signal-safe: a signal handler may call it.
void StopStalledWaits();
/// Whether StopStalledWaits was called, or `own` (a port's own cancel) is set.
bool WaitsStopped(const std::atomic<bool>* own);

/// How a write ended.
struct WriteOutcome {
    size_t written = 0;
    int error = 0;          ///< errno when the device refused the bytes
    bool timedOut = false;  ///< the deadline passed first
};

/// ECANCELED in WriteOutcome::error: a stalled write was stopped by a cancel.

/// When a write counts as stalled, so that a cancel may end it.
struct CancelWindow {
    int64_t sliceMs = kStallSliceMs;  ///< no progress for this long
    bool watchQueue = false;          ///< the driver's output queue shrinking is progress too
};

/// The rule for a serial line at `baudRate`. A printer that reads steadily
/// still leaves the writer without room for a while: a UART's driver hands
/// room back once its queue has nearly drained (its queue shrinks meanwhile),
/// a pseudo-terminal in bursts of a kilobyte (its queue always reads 0). The
/// slice covers the line time of two such bursts.
CancelWindow SerialCancelWindow(int baudRate);

/// Writes all of `data` to a non-blocking descriptor, waiting with poll()
/// while the device cannot take more, for at most `deadlineMs` in all
/// (negative: no deadline) and at most `stallMs` without progress (negative:
/// no limit). A blocking descriptor simply blocks.
/// `interrupt`: the port's cancel; a write stalled by `window` then ends with ECANCELED.
/// Progress is a byte the device took or, where `window` watches it, the
/// driver's output queue shrinking.
WriteOutcome WriteAll(int fd, std::span<const uint8_t> data, int64_t deadlineMs,
                      const std::atomic<bool>* interrupt = nullptr, CancelWindow window = {},
                      int64_t stallMs = -1);

/// One write() of the caller's choice: -1 with errno on failure.
using RawWrite = std::function<ssize_t(const uint8_t* data, size_t length)>;

/// Writes all of `data` to a device that cannot say when it will take more
/// (ppdev and lp report no POLLOUT, or always report it): after a write that
/// takes nothing it waits `retryMs` on `clock` and tries again. Gives up
/// (timedOut) once `stallMs` pass without a byte taken, or, when `totalMs` is
/// not negative, once the whole write took that long. Any error but EAGAIN
/// or EINTR (ENODEV of a pulled USB printer, EIO) ends it at once.
WriteOutcome WriteRetrying(const RawWrite& write, std::span<const uint8_t> data, int64_t stallMs,
                           int64_t totalMs, base::Clock& clock, int retryMs = 10,
                           const std::atomic<bool>* interrupt = nullptr);

/// Waits until a serial port has put out what the driver holds, or until
/// the queue has not shrunk for `stallMs`; sleeps for the time the bytes
/// need on the line instead of spinning. 0 when drained, ETIMEDOUT on a
/// stall, or the error of a failed output-queue query (a hung-up line
/// answers EIO): a queue that cannot be read is no proof that it drained.
int WaitOutputDrained(int fd, int baudRate, int64_t stallMs,
                      const std::atomic<bool>* interrupt = nullptr);

/// Waits up to `timeoutMs` for bytes and reads what is there (at most
/// buffer.size()). Returns the count, 0 on time-out, -1 when the device is
/// gone or failed.
int ReadWithin(int fd, std::span<uint8_t> buffer, int timeoutMs);

/// Milliseconds of a steady clock.
int64_t SteadyNowMs();
/// Microseconds of the same clock.
int64_t SteadyNowUs();

}  // namespace korva::port

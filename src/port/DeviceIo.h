#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace korva::port {

/// How a write ended.
struct WriteOutcome {
    size_t written = 0;
    int error = 0;          ///< errno when the device refused the bytes
    bool timedOut = false;  ///< the deadline passed first
};

/// Writes all of `data` to a non-blocking descriptor, waiting with poll()
/// while the device cannot take more, for at most `deadlineMs` in all
/// (negative: no deadline). A blocking descriptor simply blocks.
WriteOutcome WriteAll(int fd, std::span<const uint8_t> data, int64_t deadlineMs);

/// Waits until a serial port has put out what the driver holds, or until
/// `deadlineMs` has passed; sleeps for the time the bytes need on the line
/// instead of spinning. False on time-out.
bool WaitOutputDrained(int fd, int baudRate, int64_t deadlineMs);

/// Waits up to `timeoutMs` for bytes and reads what is there (at most
/// buffer.size()). Returns the count, 0 on time-out, -1 when the device is
/// gone or failed.
int ReadWithin(int fd, std::span<uint8_t> buffer, int timeoutMs);

/// Milliseconds of a steady clock.
int64_t SteadyNowMs();

}  // namespace korva::port

#pragma once
// How fast a serial line carries bytes: a printer reads no faster than its
// line at the host's baud rate. Time comes from the caller, so the pacing
// can be checked without a clock.
#include <cstddef>
#include <cstdint>

namespace korva::sim {

class LinePace {
public:
    /// `bytesPerSecond` <= 0: no pacing.
    explicit LinePace(double bytesPerSecond = 0) : m_Rate(bytesPerSecond) {}

    void SetRate(double bytesPerSecond) { m_Rate = bytesPerSecond; }
    bool Paced() const { return m_Rate > 0; }

    /// The bytes the line has carried by `nowNs` and not yet taken, at most
    /// `want`. `heldBack`: the reader waited for the line since the last
    /// take, so all that time counts; otherwise the line was idle and only a
    /// short burst counts (an idle line stores no bytes).
    size_t Allowance(int64_t nowNs, bool heldBack, size_t want);
    /// Counts `count` bytes as carried.
    void Take(size_t count);
    /// Milliseconds until the line carries one more byte (at least 1).
    int MsToNextByte() const;

private:
    double m_Rate;
    int64_t m_AtNs = 0;    ///< when m_Credit was brought up to date
    double m_Credit = 0;   ///< bytes the line could have carried by then
};

}  // namespace korva::sim

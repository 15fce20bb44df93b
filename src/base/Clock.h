#pragma once
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace korva::base {

/// Time seam for engines: real time in the program and end-to-end tests,
/// a recording clock in unit tests (asserts "waited 3500 ms" without waiting).
class Clock {
public:
    virtual ~Clock() = default;
    virtual void SleepMs(int ms) = 0;
    virtual int64_t NowMs() = 0;
};

class RealClock final : public Clock {
public:
    void SleepMs(int ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    int64_t NowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

/// Returns at once and records every requested wait; time advances by the waits.
class RecordingClock final : public Clock {
public:
    void SleepMs(int ms) override {
        m_Waits.push_back(ms);
        m_Now += ms;
    }
    int64_t NowMs() override { return m_Now; }
    const std::vector<int>& Waits() const { return m_Waits; }
    int64_t TotalWaited() const {
        int64_t total = 0;
        for (int w : m_Waits) total += w;
        return total;
    }

private:
    std::vector<int> m_Waits;
    int64_t m_Now = 0;
};

/// The clock the program uses unless a test hands in another.
Clock& DefaultClock();

}  // namespace korva::base

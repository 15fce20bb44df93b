// The simulated line's pace: a printer reads no faster and no slower than
// its line carries, however late the simulator's timer wakes it.
#include <gtest/gtest.h>

#include "LinePace.h"

using korva::sim::LinePace;

namespace {

// Reads as the serial transport does for `seconds` of line time: each wake
// takes what the line allows, then waits for the next byte, waking `lateMs`
// after the time asked for every `lateEvery`-th time.
size_t CarriedIn(double rate, int seconds, int lateMs, int lateEvery) {
    LinePace pace(rate);
    int64_t nowNs = 0;
    const int64_t endNs = int64_t{seconds} * 1'000'000'000;
    size_t carried = 0;
    bool heldBack = false;
    for (int wake = 0; nowNs < endNs; ++wake) {
        const size_t got = pace.Allowance(nowNs, heldBack, 4096);
        pace.Take(got);
        carried += got;
        heldBack = true;
        const int late = lateEvery > 0 && wake % lateEvery == 0 ? lateMs : 0;
        nowNs += int64_t{pace.MsToNextByte() + late} * 1'000'000;
    }
    return carried;
}

TEST(LinePace, CarriesTheLineRateWithinTwoPercent) {
    struct Row {
        const char* what;
        double rate;
        int lateMs;
        int lateEvery;
    };
    for (const Row& row : {Row{"9600 baud, timers on time", 960, 0, 0},
                           Row{"9600 baud, every 3rd wake 30 ms late", 960, 30, 3},
                           Row{"9600 baud, every wake 100 ms late", 960, 100, 1},
                           Row{"115200 baud, every 5th wake 25 ms late", 11520, 25, 5},
                           Row{"1200 baud, timers on time", 120, 0, 0}}) {
        const double expected = row.rate * 10;
        const auto carried = static_cast<double>(CarriedIn(row.rate, 10, row.lateMs, row.lateEvery));
        EXPECT_LE(carried, expected * 1.02) << row.what;
        EXPECT_GE(carried, expected * 0.98) << row.what;
    }
}

TEST(LinePace, AnIdleLineStoresNoBurst) {
    LinePace pace(960);
    EXPECT_EQ(pace.Allowance(0, false, 4096), 0u);
    // Ten idle seconds at 960 bytes a second: only 20 ms of bytes at once.
    EXPECT_EQ(pace.Allowance(10'000'000'000, false, 4096), 19u);
    // Unpaced lines give what is asked.
    LinePace off;
    EXPECT_EQ(off.Allowance(0, false, 4096), 4096u);
}

}  // namespace

#include "ui/StepDriver.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "base/EventLoopClock.h"
#include "base/StepEngine.h"
#include "logo/ui/UiTestEnv.h"

using namespace korva::ui;

class StepDriverTest : public ::testing::Test {
protected:
    void SetUp() override { korva::test::TestApp(); }
};

TEST_F(StepDriverTest, WaitsAreTimersSoTheWindowKeepsWorking) {
    std::vector<int> waits = {0, 120, 120, korva::base::kStepDone};
    size_t step = 0;
    int afterSteps = 0;
    StepDriver driver([&] { return waits[step++]; }, [&] { ++afterSteps; });

    // Another timer of the window: it must tick while the driver waits.
    int ticks = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
    other.start(10);

    QElapsedTimer clock;
    clock.start();
    driver.Run();
    EXPECT_EQ(step, waits.size());
    EXPECT_EQ(afterSteps, 4);
    EXPECT_GE(clock.elapsed(), 240);  // the engine's waits were kept
    EXPECT_GE(ticks, 5);              // and the event loop ran meanwhile
    EXPECT_FALSE(driver.IsRunning());
}

// A handler run by the wait (an answer handed over) ends the wait at once; a
// wake while no wait runs leaves the next wait its whole length, so a
// request's pacing pause is never cut short.
TEST_F(StepDriverTest, AWakeEndsOnlyTheEventLoopClocksRunningWait) {
    korva::base::EventLoopClock clock;
    QTimer::singleShot(10, [&] { clock.Wake(); });
    QElapsedTimer elapsed;
    elapsed.start();
    clock.SleepMs(60'000);
    EXPECT_LT(elapsed.elapsed(), 30'000);

    clock.Wake();
    elapsed.restart();
    clock.SleepMs(50);
    EXPECT_GE(elapsed.elapsed(), 45);
}

// The window's handler saw what the engine waits for: a wake ends the wait
// now running, or the wait the running step returns (it may have looked just
// before the news came). With no run, or after a run ended, nothing is cut.
TEST_F(StepDriverTest, AWakeEndsTheWaitRunningOrTheOneTheRunningStepAsksFor) {
    using korva::base::kStepDone;
    QElapsedTimer elapsed;
    {
        std::vector<int> waits = {60'000, kStepDone};
        size_t step = 0;
        StepDriver driver([&] { return waits[step++]; }, {});
        QTimer::singleShot(20, [&] { driver.Wake(); });
        elapsed.start();
        driver.Run();
        EXPECT_LT(elapsed.elapsed(), 30'000) << "a wake during the wait";
        EXPECT_EQ(step, waits.size());
    }
    {
        std::atomic<bool> woken{false};
        size_t step = 0;
        std::function<int()> steps = [&] {
            if (step++ > 0) return kStepDone;
            // The step looks before the wake and asks for a long wait after it.
            for (int i = 0; i < 1000 && !woken; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return 60'000;
        };
        StepDriver driver([&] { return steps(); }, {});
        QTimer::singleShot(20, [&] {
            driver.Wake();
            woken = true;
        });
        elapsed.restart();
        driver.Run();
        EXPECT_TRUE(woken);
        EXPECT_LT(elapsed.elapsed(), 30'000) << "a wake while the step ran";
        EXPECT_EQ(step, 2u);

        // That run is over: the next one keeps its waits whole.
        std::vector<int> waits = {0, 50, kStepDone};
        size_t next = 0;
        steps = [&] { return waits[next++]; };
        driver.Wake();
        elapsed.restart();
        driver.Run();
        EXPECT_EQ(next, waits.size());
        EXPECT_GE(elapsed.elapsed(), 45) << "a wake between runs";
    }
}

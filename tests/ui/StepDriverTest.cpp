#include "ui/StepDriver.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

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

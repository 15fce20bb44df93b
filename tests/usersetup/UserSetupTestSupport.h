#pragma once
// Shared pieces of the user setup tests: the Qt application the reply
// hand-over needs, an event-loop wait, and drivers for the exchanges.
#include <QApplication>
#include <QElapsedTimer>
#include <QJsonObject>
#include <functional>

#include "base/EventLoopClock.h"
#include "base/StepEngine.h"
#include "usersetup/UserSetupExchange.h"

namespace korva::test {

/// One QApplication for the whole test program (dialogs need widgets).
inline void EnsureQtApp() {
    static int argc = 1;
    static char name[] = "test_usersetup";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QApplication(argc, argv);
}

/// Runs the event loop until `done` holds or `timeoutMs` passes; returns `done()`.
inline bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    base::EventLoopClock clock;
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs) clock.SleepMs(10);
    return done();
}

/// Runs an exchange operation to its end with waits a tenth as long (at
/// least 20 ms): the printer's pauses matter to a real printer, not the simulator.
inline void RunQuickly(usersetup::UserSetupExchange& exchange) {
    base::EventLoopClock clock;
    for (;;) {
        const int wait = exchange.Step();
        if (wait == base::kStepDone) return;
        clock.SleepMs(wait > 0 ? std::max(20, wait / 10) : 1);
    }
}

/// Runs an exchange operation to its end in real time.
inline void RunInRealTime(usersetup::UserSetupExchange& exchange) {
    base::EventLoopClock clock;
    base::RunSteps(exchange, clock);
}

/// The simulator's answer text for one setting in a state.
inline QString SimSetting(const QJsonObject& state, int number) {
    return state.value("settings").toObject().value(QString::number(number)).toString();
}

}  // namespace korva::test

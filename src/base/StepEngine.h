#pragma once
// How the engines are driven. Each engine does the next small piece of
// work in Step() and returns how long to wait before the next call. The GUI
// calls Step() from a single-shot QTimer (the window never blocks on a wait);
// the CLI and the tests loop over the Clock seam with RunSteps().
#include <functional>

#include "base/Clock.h"

namespace korva::base {

/// Returned by Step() when the engine has finished (successfully or not).
inline constexpr int kStepDone = -1;

/// Drives `engine` to the end, sleeping on `clock` between steps. `between`
/// runs after every step (progress output, a cancel check).
template <class Engine>
void RunSteps(Engine& engine, Clock& clock, const std::function<void()>& between = {}) {
    for (;;) {
        const int wait = engine.Step();
        if (between) between();
        if (wait == kStepDone) return;
        if (wait > 0) clock.SleepMs(wait);
    }
}

}  // namespace korva::base

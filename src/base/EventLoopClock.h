#pragma once
// A real-time clock whose waits run the Qt event loop, so a TCP link keeps
// handling its notices (replies, the peer closing) while an engine driven by
// RunSteps waits. Needs a QCoreApplication.
#include "base/Clock.h"

namespace korva::base {

class EventLoopClock final : public Clock {
public:
    void SleepMs(int ms) override;
    int64_t NowMs() override;
};

}  // namespace korva::base

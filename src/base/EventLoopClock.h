#pragma once
// A real-time clock whose waits run the Qt event loop, so a TCP link keeps
// handling its notices (replies, the peer closing) while an engine driven by
// RunSteps waits. Needs a QCoreApplication.
#include "base/Clock.h"

class QEventLoop;

namespace korva::base {

class EventLoopClock final : public Clock {
public:
    void SleepMs(int ms) override;
    int64_t NowMs() override;
    /// Ends the wait now running at once: a handler run by that wait saw
    /// what the engine waits for (its last answer, the link going). No-op
    /// while no wait runs, so a later pacing wait keeps its length.
    void Wake();

private:
    QEventLoop* m_Waiting = nullptr;
};

}  // namespace korva::base

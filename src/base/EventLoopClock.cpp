#include "base/EventLoopClock.h"

#include <QEventLoop>
#include <QTimer>

namespace korva::base {

void EventLoopClock::SleepMs(int ms) {
    if (ms <= 0) return;
    QEventLoop loop;
    // Precise: a coarse timer may end a 5 s erase wait up to 5 % early.
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    QEventLoop* const outer = m_Waiting;
    m_Waiting = &loop;
    loop.exec();
    m_Waiting = outer;
}

void EventLoopClock::Wake() {
    if (m_Waiting != nullptr) m_Waiting->quit();
}

int64_t EventLoopClock::NowMs() { return base::DefaultClock().NowMs(); }

}  // namespace korva::base

#include "app/EventLoopClock.h"

#include <QEventLoop>
#include <QTimer>

namespace korva::app {

void EventLoopClock::SleepMs(int ms) {
    if (ms <= 0) return;
    QEventLoop loop;
    // Precise: a coarse timer may end a 5 s erase wait up to 5 % early.
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

int64_t EventLoopClock::NowMs() { return app::DefaultClock().NowMs(); }

}  // namespace korva::app

#include "app/ui/StepDriver.h"

#include <QEventLoop>

#include "base/StepEngine.h"

namespace korva::app::ui {

StepDriver::StepDriver(std::function<int()> step, std::function<void()> afterStep, QObject* parent)
    : QObject(parent), m_Step(std::move(step)), m_AfterStep(std::move(afterStep)) {
    m_Timer.setSingleShot(true);
    // The 10 ms pauses between chunks are the printer's pacing: keep them exact.
    m_Timer.setTimerType(Qt::PreciseTimer);
    connect(&m_Timer, &QTimer::timeout, this, &StepDriver::OnTimer);
}

StepDriver::~StepDriver() {
    m_Timer.stop();
    if (m_Loop) m_Loop->quit();
}

void StepDriver::Run() {
    if (m_Loop) return;
    QEventLoop loop;
    m_Loop = &loop;
    m_Timer.start(0);
    loop.exec();
    m_Loop = nullptr;
}

void StepDriver::OnTimer() {
    const int wait = m_Step();
    if (m_AfterStep) m_AfterStep();
    if (wait == base::kStepDone) {
        if (m_Loop) m_Loop->quit();
        return;
    }
    m_Timer.start(wait > 0 ? wait : 0);
}

}  // namespace korva::app::ui

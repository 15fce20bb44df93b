#include "ui/StepDriver.h"

#include <QEventLoop>
#include <QMetaObject>
#include <utility>

#include "base/MessageBox.h"
#include "base/StepEngine.h"

namespace korva::ui {

StepDriver::StepDriver(std::function<int()> step, std::function<void()> afterStep, QObject* parent,
                       Where where)
    : QObject(parent), m_Step(std::move(step)), m_AfterStep(std::move(afterStep)), m_Where(where) {
    m_Timer.setSingleShot(true);
    // The 10 ms pauses between chunks are the printer's pacing: keep them exact.
    m_Timer.setTimerType(Qt::PreciseTimer);
    connect(&m_Timer, &QTimer::timeout, this, &StepDriver::OnTimer);
}

StepDriver::~StepDriver() {
    m_Timer.stop();
    if (m_Loop) m_Loop->quit();
    StopWorker();
}

void StepDriver::Run() {
    if (m_Loop) return;
    QEventLoop loop;
    m_Loop = &loop;
    m_WakeAfterStep = false;
    if (m_Where == Where::Worker) {
        m_Quit = false;
        m_Worker = std::thread(&StepDriver::WorkerLoop, this);
    }
    m_Timer.start(0);
    loop.exec();
    StopWorker();
    m_Loop = nullptr;
}

void StepDriver::Between(std::function<void()> action) {
    if (m_InStep) {
        m_Between.push_back(std::move(action));
        return;
    }
    action();
}

void StepDriver::Wake() {
    if (m_Loop == nullptr) return;
    if (m_InStep) {
        m_WakeAfterStep = true;
    } else if (m_Timer.isActive()) {
        m_Timer.start(0);
    }
}

void StepDriver::OnTimer() {
    if (m_Where == Where::WindowThread) {
        OnStepDone(m_Step());
        return;
    }
    m_InStep = true;
    {
        std::lock_guard lock(m_Mutex);
        m_Go = true;
    }
    m_Wake.notify_one();
}

void StepDriver::OnStepDone(int wait) {
    m_InStep = false;
    while (!m_Between.empty()) {
        auto action = std::move(m_Between.front());
        m_Between.pop_front();
        action();
    }
    if (m_AfterStep) m_AfterStep();
    if (wait == base::kStepDone) {
        if (m_Loop) m_Loop->quit();
        return;
    }
    const bool woken = std::exchange(m_WakeAfterStep, false);
    m_Timer.start(wait > 0 && !woken ? wait : 0);
}

void StepDriver::WorkerLoop() {
    // A box the step asks for is shown by the window's thread; the step waits.
    base::SetThreadMessageForwarder([this](const std::function<base::MsgAnswer()>& show) {
        base::MsgAnswer answer = base::MsgAnswer::Cancel;
        QMetaObject::invokeMethod(this, [&] { answer = show(); }, Qt::BlockingQueuedConnection);
        return answer;
    });
    for (;;) {
        {
            std::unique_lock lock(m_Mutex);
            m_Wake.wait(lock, [this] { return m_Go || m_Quit; });
            if (m_Quit) break;
            m_Go = false;
        }
        const int wait = m_Step();
        QMetaObject::invokeMethod(this, [this, wait] { OnStepDone(wait); }, Qt::QueuedConnection);
    }
    base::SetThreadMessageForwarder({});
}

void StepDriver::StopWorker() {
    if (!m_Worker.joinable()) return;
    {
        std::lock_guard lock(m_Mutex);
        m_Quit = true;
    }
    m_Wake.notify_one();
    m_Worker.join();
}

}  // namespace korva::ui

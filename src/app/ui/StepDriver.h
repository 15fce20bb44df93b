#pragma once
#include <QObject>
#include <QTimer>
#include <functional>

class QEventLoop;

namespace korva::app::ui {

/// Drives a step engine from the window's event loop: each step returns how
/// long to wait before the next one, and that wait is a single-shot timer,
/// never a sleep, so the window keeps painting and taking clicks during the
/// erase wait and between chunks. Run() returns once the engine is done.
class StepDriver : public QObject {
    Q_OBJECT
public:
    /// `step`: one piece of work, returns the wait in ms or kStepDone.
    /// `afterStep`: runs after every step (progress display).
    StepDriver(std::function<int()> step, std::function<void()> afterStep, QObject* parent = nullptr);
    ~StepDriver() override;

    /// Steps until done, spinning a local event loop in between.
    void Run();
    bool IsRunning() const { return m_Loop != nullptr; }

private:
    void OnTimer();

    std::function<int()> m_Step;
    std::function<void()> m_AfterStep;
    QTimer m_Timer;
    QEventLoop* m_Loop = nullptr;
};

}  // namespace korva::app::ui

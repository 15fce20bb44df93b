#pragma once
#include <QObject>
#include <QTimer>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class QEventLoop;

namespace korva::ui {

/// Drives a step engine from the window: each step returns how long to wait
/// before the next one, and that wait is a single-shot timer, never a sleep.
/// The steps themselves run on a worker thread (the transfer thread), so a
/// write that blocks (a serial line held by flow control, a stalled parallel
/// or USB printer, a TCP peer that stopped reading) never freezes the
/// window; message boxes a step asks for are shown on the window's thread
/// while the step waits. Run() returns once the engine is done.
class StepDriver : public QObject {
    Q_OBJECT
public:
    /// Where the steps run: the worker, or the window's own thread for an
    /// engine whose I/O never blocks (datagrams).
    enum class Where { Worker, WindowThread };

    /// `step`: one piece of work, returns the wait in ms or kStepDone.
    /// `afterStep`: runs on the window's thread after every step (progress display).
    StepDriver(std::function<int()> step, std::function<void()> afterStep, QObject* parent = nullptr,
               Where where = Where::Worker);
    ~StepDriver() override;

    /// Steps until done, spinning a local event loop in between.
    void Run();
    bool IsRunning() const { return m_Loop != nullptr; }
    /// Runs `action` on the window's thread while no step runs: at once when
    /// the engine waits, else as soon as the current step has returned. The
    /// way for a window to touch the engine (Cancel) without racing its step.
    void Between(std::function<void()> action);
    /// Ends the engine's wait at once, for a window's handler that saw what
    /// the engine waits for (its last answer, the link going). A wake while a
    /// step runs ends the wait that step returns: the step may have looked
    /// just before the news came. No-op while the driver does not run.
    void Wake();

private:
    void OnTimer();
    void OnStepDone(int wait);
    void WorkerLoop();
    void StopWorker();

    std::function<int()> m_Step;
    std::function<void()> m_AfterStep;
    Where m_Where;
    QTimer m_Timer;
    QEventLoop* m_Loop = nullptr;
    bool m_InStep = false;
    bool m_WakeAfterStep = false;  ///< a wake came while the step ran
    std::deque<std::function<void()>> m_Between;

    std::thread m_Worker;
    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    bool m_Go = false;
    bool m_Quit = false;
};

}  // namespace korva::ui

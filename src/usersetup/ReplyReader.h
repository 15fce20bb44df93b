#pragma once
// The user setup's reply reader: a thread that takes the printer's bytes one
// at a time from a receive queue, runs them through the reply parser and
// hands each complete reply to the thread that owns this object, waiting
// until it has been handled (a blocking queued call), so only that thread
// ever touches the settings and the controls.
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "port/StatusBlockFilter.h"
#include "usersetup/ReplyParser.h"

namespace korva::port {
class CRecvQueue;
class ParPortCtl;
}  // namespace korva::port

namespace korva::usersetup {

class ReplyReader : public QObject {
    Q_OBJECT
  public:
    /// Runs on the owner's thread for every reply, while the reader runs.
    using Handler = std::function<void(const SettingReply&)>;

    explicit ReplyReader(QObject* parent = nullptr);
    ~ReplyReader() override;

    void SetHandler(Handler handler) { m_Handler = std::move(handler); }

    /// Reads a parallel port control's queue (GetByte).
    bool StartParallel(port::ParPortCtl& source);
    /// Reads a receive ring (the dialog's own ring, or the TCP link's queue).
    bool StartQueue(port::CRecvQueue& source);
    /// Asks the thread to end and waits until it has; replies it was about to
    /// hand over meanwhile are dropped. Harmless when not running.
    void Stop();
    bool Running() const { return m_Thread.joinable(); }

    /// Drops what the queue being read holds and any reply begun, before this
    /// returns: the reader is stopped, the queue emptied and the reader started
    /// again, so a request sent next is never answered into the discarded part.
    /// False when the reader cannot be started again.
    bool DiscardPending();

    /// Tells an idle reader that its source holds new bytes, so it takes them
    /// now rather than at its next look. Safe from any thread.
    void Wake();

    /// Model-ID answers (GS I 1) seen between replies since the reader was
    /// made: one byte of a known model, the same one each time. The user
    /// setup counts them against the requests it sent, in order.
    int ModelIdAnswers() const { return m_ModelIdAnswers.load(); }
    /// The last automatic status block the printer sent.
    std::optional<std::array<uint8_t, 4>> LastStatus() const;

    /// Tests: the next Start fails as if no thread could be created.
    void FailNextStart() { m_FailNextStart = true; }

  private:
    bool Launch(std::function<void()> body);
    /// Waits up to 10 ms for new bytes (Wake) or the stop request: the pace
    /// of looking at an empty source whose producer tells nothing. True on stop.
    bool IdleOrStop();
    /// Takes one byte from the source: status blocks out, then the parser.
    void Feed(uint8_t byte);
    /// Nothing more came: a held beginning of a status block was data.
    void FeedHeld();
    void Parse(uint8_t byte);
    void Deliver(const SettingReply& reply);

    Handler m_Handler;
    ReplyParser m_Parser;
    port::StatusBlockFilter m_Filter;  ///< touched by the reader thread only
    mutable std::mutex m_StatusMutex;
    std::optional<std::array<uint8_t, 4>> m_LastStatus;
    std::optional<uint8_t> m_ModelId;  ///< reader thread only
    std::atomic<int> m_ModelIdAnswers{0};
    std::thread m_Thread;
    std::atomic<bool> m_Stop{false};
    std::atomic<bool> m_Done{true};
    port::CRecvQueue* m_Queue = nullptr;  ///< the source of StartQueue, else nullptr
    bool m_FailNextStart = false;
    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    bool m_NewBytes = false;  ///< under m_Mutex: Wake came since the last idle wait
};

}  // namespace korva::usersetup

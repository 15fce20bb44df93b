#pragma once
// The user setup's traffic with the printer over each port kind: the
// connection held while the tool is open, the read of every setting, the
// write sequence and the test page. Each port kind has its own connection:
// the parallel port control on a parallel port, the TCP link for Ethernet,
// the port object for serial, USB and file output.
//
// Operations are step engines (BeginRead/BeginWrite/BeginTest, then Step()
// until kStepDone), so the dialog waits on timers and the CLI on its clock.
// Messages go through korva::base::ShowMessage; replies reach the handler on
// this object's thread.
#include <QElapsedTimer>
#include <QObject>
#include <array>
#include <atomic>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "base/Reason.h"
#include "port/PortKind.h"
#include "port/RecvQueue.h"
#include "usersetup/ReplyReader.h"

namespace korva::base {
class CErrorLog;
}
namespace korva::port {
class CPorts;
class CPrinterSocket;
class ParPortCtl;
}  // namespace korva::port

namespace korva::usersetup {

/// What the exchanges reach the printer through.
struct SetupEndpoints {
    port::PortKind kind = port::PortKind::Serial;
    port::CPorts* ports = nullptr;           ///< serial, USB, file output
    port::ParPortCtl* parallel = nullptr;    ///< parallel
    port::CPrinterSocket* socket = nullptr;  ///< Ethernet
    std::string portName;                    ///< the parallel port's name or path
    std::string ipAddress;
    int tcpPort = 6001;
    base::CErrorLog* log = nullptr;  ///< nullptr: the program's error log
};

/// Shown when re-sending a missing request of a parallel read fails.
inline constexpr const char* kGetValueCmdFail = "GetValueCmd Fail!";

class UserSetupExchange : public QObject {
    Q_OBJECT
  public:
    enum class Outcome { None, Ok, Failed, TimedOut, Cancelled };
    /// Builds the set-values command when the write reaches it.
    using SetValuesBuilder = std::function<std::vector<uint8_t>()>;

    explicit UserSetupExchange(SetupEndpoints endpoints, QObject* parent = nullptr);
    ~UserSetupExchange() override;

    port::PortKind Kind() const { return m_Ep.kind; }
    /// The parallel port control's legacy mode (no reads).
    bool LegacyMode() const;
    ReplyReader& Reader() { return m_Reader; }
    /// Runs on this object's thread for every reply, after the answered mark.
    void SetReplyHandler(ReplyReader::Handler handler) { m_Handler = std::move(handler); }

    /// Opens the connection and starts the reader where the kind needs one.
    /// False (after its message) when the tool cannot go on.
    bool Connect();
    /// Connect as the one step of an operation, for a window that runs its
    /// steps off its own thread: the connect writes (a stalled parallel port
    /// holds it for seconds) and probes a TCP address up to ten times.
    void BeginConnect();
    /// True while the connection Connect made is up (Disconnect ends it).
    bool Connected() const { return m_Connected; }
    /// Closes what Connect opened and stops the reader.
    void Disconnect();

    void BeginRead();
    void BeginWrite(SetValuesBuilder buildSetValues);
    void BeginTest();
    /// Does the next piece of the operation; returns the wait before the next
    /// call in ms, or kStepDone.
    int Step();
    bool Busy() const { return !m_Steps.empty(); }
    /// Ends the running operation where it stands (a read that waits for
    /// answers which may never come); the next Step() returns kStepDone.
    void Cancel();
    Outcome LastOutcome() const { return m_Outcome; }
    /// Why the last operation ended: None when confirmed (or nothing to
    /// confirm), NotConfirmed for a test page no answer could confirm, the
    /// link's fault or NoAnswer for a failed one.
    base::Reason Reason() const { return m_Reason; }
    /// The connection's first fault since it was made (hang-up, reset, gone);
    /// a wait for replies ends at once on one.
    base::Reason LinkFaultNow();

    /// A read that is not complete after this long ends TimedOut (the command
    /// line, and the read-back after a write); without one a parallel read
    /// goes on asking and the other kinds do not wait for the answers.
    void SetReadDeadline(int ms) { m_ReadDeadlineMs = ms; }
    /// The settings a read of this kind asks for.
    std::span<const uint8_t> RequestList() const;
    bool Answered(uint8_t setting) const { return m_Answered[setting]; }
    bool AllAnswered() const;
    /// USB: fetches the replies that have come in since (the dialog polls
    /// with this until every setting has answered).
    void FetchUsbReplies();

  signals:
    /// The line hung up or the link was reset or closed by the printer.
    void LinkLost();
    /// The last answer a read with a deadline waits for has been handled:
    /// the wait for it may end now.
    void AnswersIn();

  private:
    using Action = std::function<int()>;
    static constexpr int kFail = -2;

    base::CErrorLog& Log();
    bool ConnectParallel();
    bool ConnectEthernet();
    bool ConnectPortObject();
    bool WriteBlock(std::span<const uint8_t> block);
    /// Ethernet: waits until the printer has acknowledged every block
    /// written; false on a fault or a stall. True at once elsewhere.
    bool AllDelivered();
    bool OpenEthernetExchange(bool fresh);
    void CloseEthernet();
    void OnReply(const SettingReply& reply);
    void MoveToRing();
    /// Shows `text`, closes what a failure closes and ends the operation.
    /// A link fault adds its words to the text and becomes the Reason.
    int Fail(const std::string& text, const char* what);
    /// A new connection, or its answers thrown away: no GS I 1 sent before
    /// can be answered any more.
    void ForgetModelIdRequests();
    void QueueTestEnd();
    int PollTestEnd();

    void Queue(Action action) { m_Steps.push_back(std::move(action)); }
    void QueueParallelRead();
    void QueueParallelCompletion();
    void QueueSerialRead();
    void QueueEthernetRead();
    void QueueAnswerWait();
    /// One look of the wait for a read's answers; queues the next one.
    int AwaitAnswers();
    void QueueReconnectAfterWrite();
    void QueueUsbReopen(int attempt);

    SetupEndpoints m_Ep;
    ReplyReader m_Reader;
    ReplyReader::Handler m_Handler;
    port::CRecvQueue m_Ring;  ///< serial and USB replies, moved from the port object's queue
    std::array<bool, 256> m_Answered{};
    std::deque<Action> m_Steps;
    Outcome m_Outcome = Outcome::None;
    bool m_ParallelConnected = false;
    bool m_Connected = false;
    int m_ReadDeadlineMs = -1;
    int m_ReadElapsedMs = 0;
    std::atomic<bool> m_AwaitingAnswers{false};  ///< a read with a deadline waits for its answers
    QElapsedTimer m_AnswerTimer;  ///< since that wait began
    base::Reason m_Reason = base::Reason::None;
    bool m_PrinterAnswered = false;  ///< a reply came on this connection
    int m_ModelIdAsked = 0;      ///< GS I 1 requests, counted as the reader counts answers
    int m_ModelIdBase = 0;       ///< the reader's count when this connection began
    int m_EndAnswerNumber = 0;   ///< the answer count that confirms the end check
    int m_EndWaitedMs = 0;
    int m_EndLimitMs = 0;  ///< how long the end check waits for the answer
    std::atomic<bool> m_LossTold{false};  ///< LinkLost was emitted for this connection
};

}  // namespace korva::usersetup

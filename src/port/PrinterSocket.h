#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QTcpSocket>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "base/Reason.h"
#include "port/RecvQueue.h"

namespace korva::port {

/// The TCP link to an Ethernet printer. Its handlers (data received,
/// connection finished, closed by the peer) run on the event loop of the
/// thread that owns the object; replies go to its own receive queue by the
/// chunk rule. Every operation may be called from another thread (an
/// engine's step worker): it is carried out on the owner's.
class CPrinterSocket : public QObject {
    Q_OBJECT
public:
    /// Waits between connection probes; the default runs the owner's event
    /// loop so the connection notices are handled while waiting, and ends
    /// once the connection is made.
    using Waiter = std::function<void(int ms)>;
    using DataNotify = std::function<void()>;

    static constexpr int kProbeAttempts = 10;
    static constexpr int kProbeWaitMs = 50;

    explicit CPrinterSocket(QObject* parent = nullptr);
    ~CPrinterSocket() override;

    /// Replies from the printer; keeps its contents across connections.
    CRecvQueue m_QueueRead;
    /// 1 after a successful connection notice; 0 after a failed one or after the peer closed.
    std::atomic<uint8_t> m_bConnected{0};

    /// Closes the socket if it is open.
    void Close();
    /// A new stream socket (the old one, if any, is dropped).
    bool Create();
    /// Starts connecting; completion arrives at the connection handler.
    void Connect(const std::string& address, int port);
    /// Queues `length` bytes for sending; returns the count or -1 when not
    /// connected. A zero-length send is the connection probe: 0 when connected.
    /// May be called from another thread: it is carried out on the owner's.
    qint64 Send(const void* data, qint64 length);
    /// Waits until queued bytes have been handed to the system, at most `timeoutMs`.
    bool Flush(int timeoutMs);
    /// Waits until the printer has acknowledged every byte sent (nothing held
    /// by Qt, the kernel's send queue drained) and the connection was not
    /// reset. False when the printer reset or closed the connection first
    /// (LastErrorCode ECONNRESET) or has acknowledged nothing for `stallMs`
    /// while bytes waited, in this wait or before it (ETIMEDOUT).
    /// Safe from any thread; on the owner's it runs the event loop meanwhile.
    /// `interrupt`: a cancel; a wait without progress then ends (ECANCELED).
    /// `allowedPending`: bytes that may stay unacknowledged, so a paced
    /// writer looks at the link after a write without waiting for the
    /// printer's acknowledgement of it; it still learns of a fault or a stall.
    bool WaitDelivered(int stallMs, const std::atomic<bool>* interrupt = nullptr,
                       qint64 allowedPending = 0);

    /// close, create, connect, then up to ten times: wait 50 ms and probe;
    /// a failed probe closes, creates and connects again. `firstWaitMs` is the
    /// wait after the first connect (the address dialog uses 10 ms). True when connected.
    bool ConnectWithRetry(const std::string& address, int port, int firstWaitMs = 0);
    /// close, create, connect, wait `waitMs`, then one probe: for callers
    /// that give a printer a single chance. True when connected.
    bool ConnectOnce(const std::string& address, int port, int waitMs);
    /// errno value of the last failed connection or send (ECONNREFUSED,
    /// ETIMEDOUT, ENOTCONN ...); 0 while nothing has failed since Create.
    int LastErrorCode() const { return m_LastErrorCode.load(); }

    /// The first fault of the connection since it was made: Reset when the
    /// printer reset it (data it held is lost), HangUp when it closed it,
    /// Refused when it ended it, either way, before it took or sent any byte
    /// (it closes connections right after accepting them; ECONNABORTED).
    /// Looks at the connection once more while none is kept. A close by
    /// this program is no fault. Safe from any thread.
    base::Reason LinkFault();
    /// Bytes sent on this connection that the printer has not acknowledged
    /// (what Qt and the kernel still hold included). Safe from any thread.
    qint64 Unacknowledged();
    /// Bytes received since the connection was made (the reply queue may
    /// have handed them on already). Safe from any thread.
    uint64_t ReceivedCount() const { return m_Received.load(); }

    /// The port-data notification, called after bytes were queued.
    void SetNotify(DataNotify notify) { m_Notify = std::move(notify); }
    /// Replaces the waits between probes (tests count them).
    void SetWaiter(Waiter waiter) { m_Wait = std::move(waiter); }
    /// Waits up to `timeoutMs` for the queue to hold bytes; from the owner's
    /// thread it runs the event loop meanwhile. True when bytes are there.
    bool WaitForData(int timeoutMs);

signals:
    /// Emitted after received bytes were queued.
    void DataArrived();
    /// "m_QueueRead FULL!" was shown for a refused chunk.
    void QueueOverflow();
    /// The printer closed or reset the connection (LinkFault() says which).
    void LinkLost();

private:
    void OnReceive();
    void OnConnect();
    void OnClose();
    void OnError(QAbstractSocket::SocketError error);
    void WaitOnEventLoop(int ms);
    /// Runs `fn` on the owner's thread, waiting for it from any other.
    template <typename Fn>
    void OnOwner(Fn&& fn);
    qint64 SendHere(const void* data, qint64 length);
    /// Bytes sent but not yet acknowledged by the printer; `down` when the
    /// connection is no longer up. On the owner's thread.
    qint64 Undelivered(bool& down);
    /// Reads the kernel's view of the connection (bytes acknowledged, reset)
    /// while the socket exists.
    void TakeLinkSnapshot();
    /// How long the printer has acknowledged nothing while bytes waited for
    /// it, `pending` being what waits now (owner's thread).
    qint64 SinceProgressMs(qint64 pending);
    void ReleaseLinkFd();
    /// Keeps the way the printer ended the connection, the first time only.
    void LatchPeerEnd();
    /// Nothing was acknowledged or received on this connection (owner's thread).
    bool NothingExchanged() const;
    /// How the printer ended the connection, from the last link snapshot.
    base::Reason PeerEnd() const;

    std::unique_ptr<QTcpSocket> m_Socket;
    std::atomic<int> m_LastErrorCode{0};
    std::atomic<base::Reason> m_Fault{base::Reason::None};
    std::atomic<uint64_t> m_Received{0};
    // Delivery of this connection, owner's thread only: bytes handed to the
    // socket, the kernel's count of acknowledged bytes and where it started.
    qint64 m_Sent = 0;
    qint64 m_FirstSend = 0;  ///< the connection's first write: its opening question, if short
    static constexpr qint64 kQuestionBytes = 16;
    qint64 m_Acked = 0;
    qint64 m_AckBase = 0;
    // The last progress: the acknowledged count then, and when it was (also
    // restarted while nothing waits, since an idle printer does not stall).
    qint64 m_ProgressAcked = 0;
    QElapsedTimer m_SinceProgress;
    bool m_PeerReset = false;
    bool m_PeerClosed = false;         ///< the printer's FIN has arrived
    bool m_ClosedUndelivered = false;  ///< ... while bytes sent were not yet acknowledged
    bool m_AllAckedWhileOpen = true;   ///< every byte sent was acknowledged before any FIN
    int m_LinkFd = -1;  ///< a duplicate of the connection's descriptor
    Waiter m_Wait;
    DataNotify m_Notify;
    std::mutex m_DataMutex;
    std::condition_variable m_DataCv;
};

}  // namespace korva::port

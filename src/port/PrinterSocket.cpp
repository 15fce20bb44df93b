#include "port/PrinterSocket.h"

#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <unistd.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QThread>
#include <QTimer>

#include "base/MessageBox.h"
#include "base/Messages.h"
#include "port/DeviceIo.h"

namespace korva::port {

namespace {
constexpr qint64 kReceiveChunk = 1024;  // one receive of the data handler
constexpr int kDeliveryPollMs = 5;      // how often delivery is looked at
constexpr uint8_t kTcpEstablished = 1;  // the kernel's TCP_ESTABLISHED state
constexpr uint8_t kTcpClose = 7;        // TCP_CLOSE
constexpr uint8_t kTcpCloseWait = 8;    // TCP_CLOSE_WAIT: the printer sent FIN

/// The system error a socket failure stands for, as the messages show it.
int errnoOf(QAbstractSocket::SocketError error) {
    switch (error) {
        case QAbstractSocket::ConnectionRefusedError: return ECONNREFUSED;
        case QAbstractSocket::RemoteHostClosedError: return ECONNRESET;
        case QAbstractSocket::HostNotFoundError: return EHOSTUNREACH;
        case QAbstractSocket::SocketTimeoutError: return ETIMEDOUT;
        case QAbstractSocket::NetworkError: return ENETUNREACH;
        case QAbstractSocket::SocketAccessError: return EACCES;
        case QAbstractSocket::SocketResourceError: return EMFILE;
        default: return EIO;
    }
}
}  // namespace

CPrinterSocket::CPrinterSocket(QObject* parent) : QObject(parent) {
    m_Wait = [this](int ms) { WaitOnEventLoop(ms); };
}

CPrinterSocket::~CPrinterSocket() {
    ReleaseLinkFd();
    if (m_Socket) m_Socket->disconnect(this);
    m_Socket.reset();
}

template <typename Fn>
void CPrinterSocket::OnOwner(Fn&& fn) {
    if (QThread::currentThread() == thread()) {
        fn();
    } else {
        QMetaObject::invokeMethod(this, std::forward<Fn>(fn), Qt::BlockingQueuedConnection);
    }
}

void CPrinterSocket::Close() {
    if (QThread::currentThread() != thread()) return OnOwner([this] { Close(); });
    m_bConnected = 0;  // a closed socket is no connection, whoever closed it
    ReleaseLinkFd();
    if (!m_Socket) return;
    m_Socket->disconnect(this);
    m_Socket->abort();
    // Close may be called from a handler of this very socket: delete it next turn.
    m_Socket.release()->deleteLater();
}

bool CPrinterSocket::Create() {
    // The socket lives on the owner's thread, whose event loop serves it.
    if (QThread::currentThread() != thread()) {
        OnOwner([this] { Create(); });
        return true;
    }
    Close();
    m_Socket = std::make_unique<QTcpSocket>(this);  // a child: freed with us if deleteLater never ran
    m_LastErrorCode = 0;
    QTcpSocket* socket = m_Socket.get();
    connect(socket, &QTcpSocket::readyRead, this, &CPrinterSocket::OnReceive);
    connect(socket, &QTcpSocket::connected, this, &CPrinterSocket::OnConnect);
    connect(socket, &QTcpSocket::disconnected, this, &CPrinterSocket::OnClose);
    connect(socket, &QTcpSocket::errorOccurred, this, &CPrinterSocket::OnError);
    return true;
}

void CPrinterSocket::Connect(const std::string& address, int port) {
    if (QThread::currentThread() != thread()) return OnOwner([&] { Connect(address, port); });
    if (!m_Socket) Create();
    m_Socket->connectToHost(QHostAddress(QString::fromStdString(address)),
                            static_cast<quint16>(port));
}

qint64 CPrinterSocket::Send(const void* data, qint64 length) {
    if (QThread::currentThread() == thread()) return SendHere(data, length);
    qint64 result = -1;
    QMetaObject::invokeMethod(
        this, [&] { result = SendHere(data, length); }, Qt::BlockingQueuedConnection);
    return result;
}

qint64 CPrinterSocket::SendHere(const void* data, qint64 length) {
    if (!m_Socket || m_Socket->state() != QAbstractSocket::ConnectedState) {
        // A send on a socket still connecting, or one whose connect failed.
        if (m_LastErrorCode == 0) m_LastErrorCode = ENOTCONN;
        return -1;
    }
    if (length <= 0) return 0;  // the probe: a connected socket takes nothing
    // Bytes sent after the printer closed are bytes it never takes, whatever
    // its stack still acknowledges: the kernel's word, not Qt's later notice.
    TakeLinkSnapshot();
    if (m_PeerClosed || m_PeerReset) {
        LatchPeerEnd();
        m_LastErrorCode = m_PeerReset ? ECONNRESET : EPIPE;
        return -1;
    }
    // A stall is counted from the first byte the printer was waited for.
    bool down = false;
    SinceProgressMs(Undelivered(down));
    const qint64 queued = m_Socket->write(static_cast<const char*>(data), length);
    if (queued > 0 && m_Sent == 0) m_FirstSend = queued;
    if (queued > 0) m_Sent += queued;
    if (queued > 0) m_AllAckedWhileOpen = false;
    // Handed to the kernel now, so a close that comes later found them there.
    m_Socket->flush();
    return queued;
}

bool CPrinterSocket::Flush(int timeoutMs) {
    if (!m_Socket) return false;
    if (QThread::currentThread() != thread()) {
        bool done = false;
        QMetaObject::invokeMethod(
            this, [&] { done = Flush(timeoutMs); }, Qt::BlockingQueuedConnection);
        return done;
    }
    QElapsedTimer timer;
    timer.start();
    while (m_Socket && m_Socket->bytesToWrite() > 0) {
        const int left = timeoutMs - static_cast<int>(timer.elapsed());
        if (left <= 0 || !m_Socket->waitForBytesWritten(left)) return false;
    }
    return m_Socket != nullptr;
}

void CPrinterSocket::TakeLinkSnapshot() {
    if (m_LinkFd < 0) return;
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(m_LinkFd, IPPROTO_TCP, TCP_INFO, &info, &size) != 0) return;
    if (size >= offsetof(tcp_info, tcpi_bytes_acked) + sizeof info.tcpi_bytes_acked)
        m_Acked = static_cast<qint64>(info.tcpi_bytes_acked);
    // A reset leaves the connection CLOSED at once; a printer that read
    // everything and closed sends FIN instead (CLOSE_WAIT here).
    if (info.tcpi_state == kTcpClose) m_PeerReset = true;
    // A printer's stack acknowledges what its reader has not taken yet, and
    // one that closed its side may go on acknowledging what follows. Its
    // close counts as coming after everything only when everything sent had
    // been acknowledged while the connection was still open.
    if (info.tcpi_state == kTcpEstablished && m_Sent == m_Acked - m_AckBase &&
        (!m_Socket || m_Socket->bytesToWrite() == 0))
        m_AllAckedWhileOpen = true;
    if (info.tcpi_state == kTcpCloseWait && !m_PeerClosed) {
        m_PeerClosed = true;
        if (!m_AllAckedWhileOpen) m_ClosedUndelivered = true;
    }
}

qint64 CPrinterSocket::Undelivered(bool& down) {
    const bool connected = m_Socket && m_Socket->state() == QAbstractSocket::ConnectedState;
    if (connected) TakeLinkSnapshot();
    down = !connected || m_bConnected == 0;
    const qint64 held = connected ? m_Socket->bytesToWrite() : 0;
    // What Qt holds is part of what was sent and not acknowledged.
    return std::max<qint64>(held, m_Sent - (m_Acked - m_AckBase));
}

qint64 CPrinterSocket::SinceProgressMs(qint64 pending) {
    if (pending == 0 || m_Acked != m_ProgressAcked || !m_SinceProgress.isValid()) {
        m_ProgressAcked = m_Acked;
        m_SinceProgress.start();
    }
    return m_SinceProgress.elapsed();
}

bool CPrinterSocket::WaitDelivered(int stallMs, const std::atomic<bool>* interrupt,
                                   qint64 allowedPending) {
    const bool here = QThread::currentThread() == thread();
    for (;;) {
        qint64 pending = 0;
        bool down = false;
        bool reset = false;
        bool closedEarly = false;
        qint64 stalledMs = 0;
        const auto look = [&] {
            pending = Undelivered(down);
            reset = m_PeerReset;
            closedEarly = m_ClosedUndelivered;
            stalledMs = SinceProgressMs(pending);
        };
        if (here) {
            look();
        } else {
            QMetaObject::invokeMethod(this, look, Qt::BlockingQueuedConnection);
        }
        // Acknowledged bytes may still be lost to a reset (the printer's own
        // buffer is dropped with it); a printer that closed gracefully took
        // them, unless it closed before it had acknowledged them all.
        if (!reset && pending == 0 && !closedEarly) return true;
        if (reset || down) {
            base::Reason end = base::Reason::None;
            if (here) {
                end = PeerEnd();
            } else {
                QMetaObject::invokeMethod(this, [&] { end = PeerEnd(); }, Qt::BlockingQueuedConnection);
            }
            m_LastErrorCode = end == base::Reason::Refused ? ECONNABORTED : ECONNRESET;
            base::Reason none = base::Reason::None;
            m_Fault.compare_exchange_strong(none, end);
            return false;
        }
        if (stalledMs >= stallMs) {
            m_LastErrorCode = ETIMEDOUT;
            return false;
        }
        if (!closedEarly && pending <= allowedPending) return true;
        if (stalledMs >= kStallSliceMs && WaitsStopped(interrupt)) {
            m_LastErrorCode = ECANCELED;
            return false;
        }
        if (here) {
            QEventLoop loop;
            QTimer::singleShot(kDeliveryPollMs, &loop, &QEventLoop::quit);
            loop.exec();
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(kDeliveryPollMs));
        }
    }
}

qint64 CPrinterSocket::Unacknowledged() {
    qint64 pending = 0;
    OnOwner([&] {
        bool down = false;
        pending = Undelivered(down);
    });
    return pending;
}

bool CPrinterSocket::NothingExchanged() const {
    // The connection's opening question may have reached the printer's stack
    // before the printer closed: that stack then resets instead of closing.
    // A printer that never answered it has taken nothing all the same.
    const qint64 acked = m_Acked - m_AckBase;
    const bool onlyTheQuestion = acked <= m_FirstSend && m_FirstSend <= kQuestionBytes;
    return (acked <= 0 || onlyTheQuestion) && m_Received == 0 &&
           (!m_Socket || m_Socket->bytesAvailable() == 0);
}

base::Reason CPrinterSocket::PeerEnd() const {
    // A printer that ends a connection before taking a byte dropped nothing
    // of it (its reset answers data that came after it closed): it turns
    // connections away, which is neither a lost stream nor a close after one.
    if (NothingExchanged()) return base::Reason::Refused;
    return m_PeerReset ? base::Reason::Reset : base::Reason::HangUp;
}

void CPrinterSocket::LatchPeerEnd() {
    if (m_Fault == base::Reason::None && m_Socket) {
        bool down = false;
        if (Undelivered(down) > 0) m_ClosedUndelivered = true;
    }
    base::Reason none = base::Reason::None;
    if (m_Fault.compare_exchange_strong(none, PeerEnd())) emit LinkLost();
}

base::Reason CPrinterSocket::LinkFault() {
    if (m_Fault != base::Reason::None) return m_Fault;
    OnOwner([this] {
        if (!m_Socket || m_Socket->state() != QAbstractSocket::ConnectedState) return;
        TakeLinkSnapshot();
        if (m_PeerReset || m_PeerClosed) LatchPeerEnd();
    });
    return m_Fault;
}

bool CPrinterSocket::ConnectWithRetry(const std::string& address, int port, int firstWaitMs) {
    Close();
    Create();
    Connect(address, port);
    if (firstWaitMs > 0) m_Wait(firstWaitMs);
    int lastError = 0;
    for (int attempt = 0; attempt < kProbeAttempts; ++attempt) {
        m_Wait(kProbeWaitMs);
        if (Send(nullptr, 0) == 0) return true;
        lastError = m_LastErrorCode.load();
        Close();
        Create();
        Connect(address, port);
    }
    // Why the last probe failed (refused, unreachable), not the fresh socket's nothing.
    m_LastErrorCode = lastError;
    return false;
}

bool CPrinterSocket::ConnectOnce(const std::string& address, int port, int waitMs) {
    Close();
    Create();
    Connect(address, port);
    m_Wait(waitMs);
    return Send(nullptr, 0) == 0;
}

void CPrinterSocket::WaitOnEventLoop(int ms) {
    // The wait ends early once the connection is made: the probe after it
    // cannot fail then. A failed attempt still waits its time before the next.
    if (QThread::currentThread() != thread()) {
        // Elsewhere the owner's own loop handles the notices meanwhile.
        std::unique_lock lock(m_DataMutex);
        m_DataCv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_bConnected != 0; });
        return;
    }
    if (m_bConnected != 0) return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    if (m_Socket) connect(m_Socket.get(), &QTcpSocket::connected, &loop, &QEventLoop::quit);
    loop.exec();
}

bool CPrinterSocket::WaitForData(int timeoutMs) {
    if (!m_QueueRead.IsEmpty()) return true;
    if (QThread::currentThread() == thread()) {
        QEventLoop loop;
        QTimer::singleShot(std::max(timeoutMs, 0), &loop, &QEventLoop::quit);
        const auto arrived = connect(this, &CPrinterSocket::DataArrived, &loop, &QEventLoop::quit);
        loop.exec();
        disconnect(arrived);
    } else {
        std::unique_lock lock(m_DataMutex);
        m_DataCv.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                          [&] { return !m_QueueRead.IsEmpty(); });
    }
    return !m_QueueRead.IsEmpty();
}

void CPrinterSocket::OnReceive() {
    char buffer[kReceiveChunk];
    bool stored = false;
    while (m_Socket && m_Socket->bytesAvailable() > 0) {
        const qint64 n = m_Socket->read(buffer, sizeof buffer);
        if (n < 0) break;  // a receive error: nothing stored, nothing shown
        if (n == 0) break;
        const std::span chunk(reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(n));
        if (!m_QueueRead.PutChunk(chunk)) {
            emit QueueOverflow();
            base::ShowMessage(base::Message(base::kMsgQueueFull));
            continue;
        }
        stored = true;
        m_Received += static_cast<uint64_t>(n);
    }
    if (!stored) return;
    {
        std::lock_guard lock(m_DataMutex);
        m_DataCv.notify_all();
    }
    emit DataArrived();
    if (m_Notify) m_Notify();
}

void CPrinterSocket::OnConnect() {
    {
        std::lock_guard lock(m_DataMutex);
        m_bConnected = 1;
    }
    m_DataCv.notify_all();
    // Counted from here: the kernel counts the connection's SYN as one byte acknowledged.
    m_Sent = 0;
    m_Acked = 0;
    m_PeerReset = false;
    m_PeerClosed = false;
    m_ClosedUndelivered = false;
    m_AllAckedWhileOpen = true;
    m_Fault = base::Reason::None;
    m_Received = 0;
    m_FirstSend = 0;
    ReleaseLinkFd();
    // Qt closes its descriptor before it reports a close; this one keeps the
    // kernel's last word on the connection readable until the handler ran.
    if (m_Socket && m_Socket->socketDescriptor() >= 0)
        m_LinkFd = ::fcntl(static_cast<int>(m_Socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    TakeLinkSnapshot();
    m_AckBase = m_Acked;
    m_ProgressAcked = m_Acked;
    m_SinceProgress.start();
}

void CPrinterSocket::ReleaseLinkFd() {
    if (m_LinkFd >= 0) ::close(m_LinkFd);
    m_LinkFd = -1;
}

void CPrinterSocket::OnError(QAbstractSocket::SocketError error) {
    TakeLinkSnapshot();  // how the printer ended it, while the socket still exists
    // A failed connection notice; a peer close comes through OnClose.
    const bool turnedAway = m_bConnected != 0 && PeerEnd() == base::Reason::Refused;
    if (m_bConnected != 0) LatchPeerEnd();
    if (error != QAbstractSocket::RemoteHostClosedError) m_bConnected = 0;
    m_LastErrorCode = turnedAway ? ECONNABORTED : errnoOf(error);
}

void CPrinterSocket::OnClose() {
    // Bytes that came with the close are still taken before the socket goes.
    TakeLinkSnapshot();
    OnReceive();
    if (m_bConnected != 0) LatchPeerEnd();
    m_bConnected = 0;
    Close();
}

}  // namespace korva::port

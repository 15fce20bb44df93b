#include "port/PrinterSocket.h"

#include <cerrno>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QThread>
#include <QTimer>

#include "base/MessageBox.h"
#include "base/Messages.h"

namespace korva::port {

namespace {
constexpr qint64 kReceiveChunk = 1024;  // one receive of the data handler

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
    if (m_Socket) m_Socket->disconnect(this);
    m_Socket.reset();
}

void CPrinterSocket::Close() {
    m_bConnected = 0;  // a closed socket is no connection, whoever closed it
    if (!m_Socket) return;
    m_Socket->disconnect(this);
    m_Socket->abort();
    // Close may be called from a handler of this very socket: delete it next turn.
    m_Socket.release()->deleteLater();
}

bool CPrinterSocket::Create() {
    Close();
    m_Socket = std::make_unique<QTcpSocket>();
    m_LastErrorCode = 0;
    QTcpSocket* socket = m_Socket.get();
    connect(socket, &QTcpSocket::readyRead, this, &CPrinterSocket::OnReceive);
    connect(socket, &QTcpSocket::connected, this, &CPrinterSocket::OnConnect);
    connect(socket, &QTcpSocket::disconnected, this, &CPrinterSocket::OnClose);
    connect(socket, &QTcpSocket::errorOccurred, this, &CPrinterSocket::OnError);
    return true;
}

void CPrinterSocket::Connect(const std::string& address, int port) {
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
    return m_Socket->write(static_cast<const char*>(data), length);
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

bool CPrinterSocket::ConnectWithRetry(const std::string& address, int port, int firstWaitMs) {
    Close();
    Create();
    Connect(address, port);
    if (firstWaitMs > 0) m_Wait(firstWaitMs);
    for (int attempt = 0; attempt < kProbeAttempts; ++attempt) {
        m_Wait(kProbeWaitMs);
        if (Send(nullptr, 0) == 0) return true;
        Close();
        Create();
        Connect(address, port);
    }
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
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
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
    }
    if (!stored) return;
    {
        std::lock_guard lock(m_DataMutex);
        m_DataCv.notify_all();
    }
    emit DataArrived();
    if (m_Notify) m_Notify();
}

void CPrinterSocket::OnConnect() { m_bConnected = 1; }

void CPrinterSocket::OnError(QAbstractSocket::SocketError error) {
    // A failed connection notice; a peer close comes through OnClose.
    if (error != QAbstractSocket::RemoteHostClosedError) m_bConnected = 0;
    m_LastErrorCode = errnoOf(error);
}

void CPrinterSocket::OnClose() {
    // Bytes that came with the close are still taken before the socket goes.
    OnReceive();
    m_bConnected = 0;
    Close();
}

}  // namespace korva::port

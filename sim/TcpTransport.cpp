#include "TcpTransport.h"

#include <QTimer>

#include <QHostAddress>
#include <sys/socket.h>

#include <string>

#include "Printer.h"

namespace korva::sim {
namespace {
// Small, so a stalled reader pushes back on the sender instead of Qt
// buffering the whole stream in memory.
constexpr qint64 kSocketBuffer = 4096;
}  // namespace

TcpTransport::TcpTransport(Printer& printer, const SimOptions& options, QObject* parent)
    : QObject(parent), m_Printer(printer), m_Options(options) {
    connect(&m_Server, &QTcpServer::newConnection, this, &TcpTransport::OnNewConnection);
}

TcpTransport::~TcpTransport() {
    // The sockets are children of the server, which outlives this body: cut
    // them off from this transport and close them before the sessions go.
    for (QTcpSocket* socket : m_Server.findChildren<QTcpSocket*>()) {
        socket->disconnect(this);
        socket->abort();
    }
    m_Sessions.clear();
    m_Server.close();
}

void TcpTransport::HangUp(QTcpSocket* socket) {
    const int fd = static_cast<int>(socket->socketDescriptor());
    // A TCP stack closing a connection with received bytes still unread
    // resets it: only a printer that took everything it got closes in order.
    const qint64 unread = socket->bytesAvailable();
    if (m_Options.tcpHangUp == SimOptions::TcpHangUp::Close && fd >= 0 && unread > 0)
        m_Printer.Event("tcp: closing with " + std::to_string(unread) + " bytes unread");
    if (m_Options.tcpHangUp == SimOptions::TcpHangUp::Close && fd >= 0 && unread == 0) {
        m_Printer.Event("tcp: closed (fault injection)");
        m_Closing.insert(socket);
        // FIN to the host; what it still sends is read and dropped below,
        // so no reset follows.
        ::shutdown(fd, SHUT_WR);
        (void)socket->readAll();
        return;
    }
    m_Printer.Event("tcp: hung up (fault injection)");
    // A zero linger time makes the close a reset whether or not data waits.
    const linger reset{1, 0};
    if (fd >= 0) ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    socket->abort();
}

bool TcpTransport::Start(QString* error) {
    QHostAddress address;
    if (!address.setAddress(m_Options.tcpEndpoint.address)) {
        *error = "not an IP address: " + m_Options.tcpEndpoint.address;
        return false;
    }
    if (!m_Server.listen(address, m_Options.tcpEndpoint.port)) {
        *error = "cannot listen on TCP " + m_Options.tcpEndpoint.address + ":" +
                 QString::number(m_Options.tcpEndpoint.port) + ": " + m_Server.errorString();
        return false;
    }
    // Accepted connections take the listener's buffer, and with it the window
    // they offer from their first segment.
    if (m_Options.tcpReceiveBuffer > 0) {
        const int size = static_cast<int>(m_Options.tcpReceiveBuffer);
        ::setsockopt(static_cast<int>(m_Server.socketDescriptor()), SOL_SOCKET, SO_RCVBUF, &size,
                     sizeof size);
    }
    return true;
}

void TcpTransport::OnNewConnection() {
    while (QTcpSocket* socket = m_Server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            // What came before the host's close is still read, after a pause too.
            if (socket->bytesAvailable() > 0 && m_Closing.count(socket) == 0 &&
                m_Sessions.count(socket) != 0) {
                m_ReadAfterClose.insert(socket);
                return;
            }
            Forget(socket);
        });
        if (m_Printer.PoweredOff()) {
            socket->abort();
            continue;
        }
        if (m_Options.faults.disconnectAfterBytes == 0) {
            // Hung up before any byte: the connection ends as it is accepted.
            m_Printer.Event("tcp: closed right after accepting (fault injection)");
            const int fd = static_cast<int>(socket->socketDescriptor());
            const linger reset{1, 0};
            if (m_Options.tcpHangUp == SimOptions::TcpHangUp::Reset && fd >= 0)
                ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            socket->abort();
            m_Printer.Changed();
            continue;
        }
        socket->setReadBufferSize(m_Options.tcpReceiveBuffer > 0
                                      ? std::min<qint64>(kSocketBuffer, m_Options.tcpReceiveBuffer)
                                      : kSocketBuffer);
        m_Sessions[socket] = std::make_unique<Session>(
            m_Printer, "tcp", m_Options.framing, [socket](std::span<const uint8_t> bytes) {
                socket->write(reinterpret_cast<const char*>(bytes.data()),
                              static_cast<qint64>(bytes.size()));
            });
        m_Sessions[socket]->SetScheduler([socket](int ms, std::function<void()> run) {
            QTimer::singleShot(ms, Qt::PreciseTimer, socket, std::move(run));
        });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnReadable(socket); });
    }
}

void TcpTransport::OnReadable(QTcpSocket* socket) {
    auto it = m_Sessions.find(socket);
    if (it == m_Sessions.end()) return;
    if (m_Closing.count(socket) != 0) {
        (void)socket->readAll();
        return;
    }
    while (socket->bytesAvailable() > 0) {
        size_t allowance = m_Printer.ReadAllowance();
        if (allowance == 0) {
            if (m_Printer.PauseDue()) {
                QTimer::singleShot(m_Printer.TakePause(), socket, [this, socket] { OnReadable(socket); });
            } else if (m_Printer.DisconnectDue()) {
                HangUp(socket);
            } else {
                m_Printer.Event("tcp: stopped reading (fault injection)");
            }
            m_Printer.Changed();
            return;
        }
        char buffer[4096];
        qint64 want =
            std::min<qint64>({socket->bytesAvailable(), qint64(sizeof buffer),
                              static_cast<qint64>(std::min<size_t>(allowance, sizeof buffer))});
        qint64 n = socket->read(buffer, want);
        if (n <= 0) return;
        it->second->Receive(std::span(reinterpret_cast<const uint8_t*>(buffer), size_t(n)));
        if (m_Printer.PoweredOff()) return;  // the connections go when it switches off
    }
    if (m_Printer.ReadAllowance() == 0 && m_Printer.DisconnectDue()) {
        HangUp(socket);
        m_Printer.Changed();
    }
    if (m_ReadAfterClose.count(socket) != 0 && socket->bytesAvailable() == 0) Forget(socket);
}

void TcpTransport::Forget(QTcpSocket* socket) {
    m_Closing.erase(socket);
    m_ReadAfterClose.erase(socket);
    m_Sessions.erase(socket);
    socket->deleteLater();
}

void TcpTransport::DropAll() {
    std::vector<QTcpSocket*> sockets;
    for (auto& [socket, session] : m_Sessions) sockets.push_back(socket);
    for (QTcpSocket* socket : sockets) socket->abort();
}

}  // namespace korva::sim

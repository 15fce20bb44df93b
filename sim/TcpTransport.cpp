#include "TcpTransport.h"

#include <QHostAddress>

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
    return true;
}

void TcpTransport::OnNewConnection() {
    while (QTcpSocket* socket = m_Server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_Sessions.erase(socket);
            socket->deleteLater();
        });
        if (m_Printer.PoweredOff()) {
            socket->abort();
            continue;
        }
        socket->setReadBufferSize(kSocketBuffer);
        m_Sessions[socket] = std::make_unique<Session>(
            m_Printer, "tcp", m_Options.framing, [socket](std::span<const uint8_t> bytes) {
                socket->write(reinterpret_cast<const char*>(bytes.data()),
                              static_cast<qint64>(bytes.size()));
            });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnReadable(socket); });
    }
}

void TcpTransport::OnReadable(QTcpSocket* socket) {
    auto it = m_Sessions.find(socket);
    if (it == m_Sessions.end()) return;
    while (socket->bytesAvailable() > 0) {
        size_t allowance = m_Printer.ReadAllowance();
        if (allowance == 0) {
            if (m_Printer.DisconnectDue()) {
                m_Printer.Event("tcp: hung up (fault injection)");
                socket->abort();
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
        if (m_Printer.PoweredOff()) return DropAll();
    }
    if (m_Printer.ReadAllowance() == 0 && m_Printer.DisconnectDue()) {
        m_Printer.Event("tcp: hung up (fault injection)");
        m_Printer.Changed();
        socket->abort();
    }
}

void TcpTransport::DropAll() {
    std::vector<QTcpSocket*> sockets;
    for (auto& [socket, session] : m_Sessions) sockets.push_back(socket);
    for (QTcpSocket* socket : sockets) socket->abort();
}

}  // namespace korva::sim

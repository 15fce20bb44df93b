#include "UdpResponder.h"

#include <QDateTime>
#include <QNetworkDatagram>
#include <QTimer>

#include "Hex.h"
#include "Printer.h"

namespace korva::sim {

UdpResponder::UdpResponder(Printer& printer, const SimOptions& options, QObject* parent)
    : QObject(parent), m_Printer(printer), m_Options(options) {
    connect(&m_Socket, &QUdpSocket::readyRead, this, &UdpResponder::OnReadable);
}

bool UdpResponder::Start(QString* error) {
    QHostAddress address;
    if (!address.setAddress(m_Options.udpEndpoint.address)) {
        *error = "not an IP address: " + m_Options.udpEndpoint.address;
        return false;
    }
    // Shared, so a host tool in the same namespace can bind the port for its answers too.
    if (!m_Socket.bind(address, m_Options.udpEndpoint.port,
                       QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        *error = "cannot bind UDP " + m_Options.udpEndpoint.address + ":" +
                 QString::number(m_Options.udpEndpoint.port) + ": " + m_Socket.errorString();
        return false;
    }
    return true;
}

void UdpResponder::OnReadable() {
    while (m_Socket.hasPendingDatagrams()) {
        QNetworkDatagram datagram = m_Socket.receiveDatagram();
        const QByteArray data = datagram.data();
        std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(data.constData()),
                                       static_cast<size_t>(data.size()));
        std::string event;
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (now < m_SilentUntilMs) {
            m_Printer.Event("netcfg: restarting, datagram not heard (" + ToHex(bytes) + ")");
            m_Printer.Changed();
            continue;
        }
        // The apply command (04) after the AA AA marker.
        if (m_Options.udpLoseApply && bytes.size() > 2 && bytes[2] == 0x04) {
            m_Printer.Event("netcfg: apply lost on the way (" + ToHex(bytes) + ")");
            m_Printer.Changed();
            continue;
        }
        const NetworkSettings before = m_Printer.Network().Settings();
        auto answer = m_Printer.Network().Handle(bytes, &event);
        if (!(m_Printer.Network().Settings() == before) && m_Options.udpRestartMs > 0)
            m_SilentUntilMs = now + m_Options.udpRestartMs;
        m_Printer.Event(event + " (from " + datagram.senderAddress().toString().toStdString() +
                        ", " + ToHex(bytes) + ")");
        if (answer) {
            const int port =
                m_Options.udpReplyPort ? m_Options.udpReplyPort : datagram.senderPort();
            const QByteArray bytes(reinterpret_cast<const char*>(answer->data()),
                                   static_cast<qsizetype>(answer->size()));
            const QHostAddress to = datagram.senderAddress();
            const auto send = [this, bytes, to, port] {
                m_Socket.writeDatagram(bytes, to, static_cast<quint16>(port));
            };
            if (m_Options.udpReplyDelayMs > 0)
                QTimer::singleShot(static_cast<int>(m_Options.udpReplyDelayMs), this, send);
            else
                send();
        }
        m_Printer.Changed();
    }
}

}  // namespace korva::sim

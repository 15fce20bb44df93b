#include "app/TcpConnectCheck.h"

namespace korva::app {

TcpConnectCheck::TcpConnectCheck(QObject* parent) : QObject(parent) {
    m_Timer.setSingleShot(true);
    connect(&m_Timer, &QTimer::timeout, this, &TcpConnectCheck::Probe);
}

void TcpConnectCheck::Start(const QString& ipAddress, quint16 port) {
    m_Ip = ipAddress;
    m_Port = port;
    m_Probes = 0;
    Connect();
    m_Timer.start(kFirstWaitMs + kProbeIntervalMs);
}

void TcpConnectCheck::Abort() {
    m_Timer.stop();
    m_Socket.abort();
}

void TcpConnectCheck::Connect() {
    m_Socket.abort();
    m_Socket.connectToHost(m_Ip, m_Port);
}

void TcpConnectCheck::Probe() {
    ++m_Probes;
    if (m_Socket.state() == QAbstractSocket::ConnectedState) {
        m_Socket.abort();
        emit finished(true);
        return;
    }
    if (m_Probes >= kProbes) {
        m_Socket.abort();
        emit finished(false);
        return;
    }
    Connect();
    m_Timer.start(kProbeIntervalMs);
}

}  // namespace korva::app

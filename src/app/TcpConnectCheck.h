#pragma once
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

namespace korva::app {

/// Checks that a printer accepts a TCP connection, in the rhythm the tools
/// use to connect: connect, wait 10 ms, then up to 10 probes 50 ms apart,
/// starting the connection afresh after each failed probe. Runs on the event
/// loop, so the window that asked stays responsive; the socket is closed
/// again when the check ends either way.
class TcpConnectCheck : public QObject {
    Q_OBJECT
public:
    static constexpr int kProbes = 10;
    static constexpr int kFirstWaitMs = 10;
    static constexpr int kProbeIntervalMs = 50;

    explicit TcpConnectCheck(QObject* parent = nullptr);

    void Start(const QString& ipAddress, quint16 port);
    void Abort();
    bool IsRunning() const { return m_Timer.isActive(); }
    int ProbesMade() const { return m_Probes; }

signals:
    void finished(bool connected);

private:
    void Connect();
    void Probe();

    QTcpSocket m_Socket;
    QTimer m_Timer;
    QString m_Ip;
    quint16 m_Port = 0;
    int m_Probes = 0;
};

}  // namespace korva::app

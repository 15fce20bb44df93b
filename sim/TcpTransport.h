#pragma once
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <map>
#include <memory>
#include <set>

#include "Session.h"
#include "SimOptions.h"

namespace korva::sim {

class Printer;

/// The Ethernet interface's TCP side: any number of connections, one after
/// another or at once, each with its own session. A connection that sends
/// nothing (the host's zero-length probe) leaves no trace.
class TcpTransport : public QObject {
    Q_OBJECT
  public:
    TcpTransport(Printer& printer, const SimOptions& options, QObject* parent = nullptr);
    /// Ends every session and closes its socket while the session map still
    /// exists: a socket deleted later would report its end into a freed map.
    ~TcpTransport() override;

    bool Start(QString* error);
    QString Address() const { return m_Server.serverAddress().toString(); }
    uint16_t Port() const { return m_Server.serverPort(); }
    /// Switched off: every connection is dropped and new ones are closed at once.
    void DropAll();

  private:
    void OnNewConnection();
    void OnReadable(QTcpSocket* socket);
    /// Ends the session of a connection that is gone.
    void Forget(QTcpSocket* socket);
    /// The injected hang-up, as --tcp-hang-up chooses.
    void HangUp(QTcpSocket* socket);

    Printer& m_Printer;
    const SimOptions& m_Options;
    QTcpServer m_Server;
    std::map<QTcpSocket*, std::unique_ptr<Session>> m_Sessions;
    /// Connections closed in order: what still comes is read and dropped.
    std::set<QTcpSocket*> m_Closing;
    std::set<QTcpSocket*> m_ReadAfterClose;  ///< closed by the host with bytes still to read
};

}  // namespace korva::sim

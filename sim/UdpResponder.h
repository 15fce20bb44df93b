#pragma once
#include <QObject>
#include <QUdpSocket>

#include "SimOptions.h"

namespace korva::sim {

class Printer;

/// Answers network-setting datagrams. Answers go back to the sender's address
/// (never broadcast), to the reply port the options name.
class UdpResponder : public QObject {
    Q_OBJECT
  public:
    UdpResponder(Printer& printer, const SimOptions& options, QObject* parent = nullptr);

    bool Start(QString* error);
    QString Address() const { return m_Socket.localAddress().toString(); }
    uint16_t Port() const { return m_Socket.localPort(); }

  private:
    void OnReadable();

    Printer& m_Printer;
    const SimOptions& m_Options;
    QUdpSocket m_Socket;
    qint64 m_SilentUntilMs = 0;  ///< restarting after an applied change until then
};

}  // namespace korva::sim

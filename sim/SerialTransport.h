#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "LinePace.h"
#include "Session.h"
#include "SimOptions.h"
#include "SlaveOpenWatch.h"

namespace korva::sim {

class Printer;

/// The serial line: a pty pair whose slave the host opens like any tty, or an
/// existing device node that is the printer's end of a real line.
/// Reads the host's termios through the master, paces reading at the line
/// rate when asked, and follows the host closing and reopening the slave.
class SerialTransport : public QObject {
    Q_OBJECT
  public:
    SerialTransport(Printer& printer, const SimOptions& options, QObject* parent = nullptr);
    ~SerialTransport() override;

    /// Creates the pty (and the link), or opens the device given instead;
    /// false with a message on failure.
    bool Start(QString* error);
    QString SlavePath() const { return m_SlavePath; }

  private:
    bool OpenPty(QString* error);
    bool OpenDevice(QString* error);
    /// What the state calls this line: a new pty or a served device.
    std::string Name() const { return m_Options.devicePath.isEmpty() ? "serial" : "device"; }
    void OnReadable();
    void OnHangupCheck();
    void OnHostClosed(bool reopened);
    void Write(std::span<const uint8_t> bytes);
    void FlushPending();
    void ReadLineSettings();
    double BytesPerSecond() const;
    void CloseMaster();

    Printer& m_Printer;
    const SimOptions& m_Options;
    int m_Master = -1;
    QString m_SlavePath;
    std::unique_ptr<QSocketNotifier> m_ReadNotifier;
    std::unique_ptr<QSocketNotifier> m_WriteNotifier;
    QTimer m_HangupTimer;  ///< while the host has the slave closed
    QTimer m_PaceTimer;    ///< while the line rate holds reading back
    QElapsedTimer m_Clock;
    LinePace m_Pace;
    bool m_HeldForLine = false;  ///< m_PaceTimer runs because the line had no byte ready
    bool m_HungUp = false;
    std::vector<uint8_t> m_Pending;  ///< replies the master could not take yet
    std::unique_ptr<Session> m_Session;
    SlaveOpenWatch m_OpenWatch;
};

}  // namespace korva::sim

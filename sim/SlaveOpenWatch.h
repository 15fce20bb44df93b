#pragma once
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <memory>

namespace korva::sim {

/// Watches who opens and closes a pty slave (inotify on its device node), so
/// a host that closes the line and opens it again at once still counts as a
/// new connection: the master alone cannot see a close that is followed by an
/// open before it next reads.
class SlaveOpenWatch : public QObject {
    Q_OBJECT
  public:
    explicit SlaveOpenWatch(QObject* parent = nullptr) : QObject(parent) {}
    ~SlaveOpenWatch() override;

    /// False when the system offers no watch; the caller falls back on hang-ups.
    bool Start(const QString& slavePath);
    bool Active() const { return m_Fd >= 0; }
    /// Whether the host holds the slave open, as of the last events handled.
    bool HostHasLineOpen() const { return m_Opens > 0; }
    /// Handles the events waiting now (the reader calls this before each read,
    /// so a close is known before the bytes that follow it are taken).
    void Poll();

  signals:
    /// The last open handle of the slave was closed; `reopened` when the host
    /// had opened it again by the time this was seen.
    void LastClosed(bool reopened);

  private:
    int m_Fd = -1;
    int m_Opens = 0;
    std::unique_ptr<QSocketNotifier> m_Notifier;
};

}  // namespace korva::sim

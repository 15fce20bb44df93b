#pragma once
#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QTimer>

namespace korva::sim {

class Printer;
class PaperRenderer;

/// Keeps the state file (and the paper image) in step with the printer.
/// Changes are gathered for a few milliseconds so a stream of bytes does not
/// rewrite the file once per byte; every write replaces the file atomically.
class StateWriter : public QObject {
    Q_OBJECT
  public:
    StateWriter(const Printer& printer, QString statePath, PaperRenderer* paper,
                QObject* parent = nullptr);

    /// Something changed: write soon.
    void Schedule();
    /// Write now (at start and before exit).
    void Flush();

    static QJsonObject BuildState(const Printer& printer);

  private:
    const Printer& m_Printer;
    QString m_StatePath;
    PaperRenderer* m_Paper;
    QTimer m_Timer;
    QElapsedTimer m_SinceWrite;
    qint64 m_LastWriteMs = 0;  ///< a large state is written less often
    size_t m_PaperItems = 0;
    bool m_PaperRendered = false;
};

}  // namespace korva::sim

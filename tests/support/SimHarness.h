#pragma once
#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "support/ChildCheck.h"

namespace korva::test {

/// A korva-sim process for one test: started with chosen options, its pty path
/// and ports handed out, its state file read back, stopped at the end.
///
///     SimHarness sim;
///     ASSERT_TRUE(sim.Start({"--serial", "--tcp", "127.0.0.1:0"})) << sim.Error();
///     ... write to sim.SerialPath() or 127.0.0.1:sim.TcpPort() ...
///     auto state = sim.WaitForState([](const QJsonObject& s) { ... });
///
/// The state file lives in a private directory (always passed as --state);
/// WithPaper() adds --paper in the same directory. TCP and UDP should use port
/// 0 so parallel tests never collide; the bound ports are read from the
/// simulator's "tcp=" and "udp=" lines.
///
/// At the end the simulator must have ended cleanly on SIGTERM (exit 0, no
/// crash, no sanitizer report); anything else fails the test, with the report
/// or the simulator's stderr in the failure.
class SimHarness {
  public:
    SimHarness();
    ~SimHarness();
    SimHarness(const SimHarness&) = delete;
    SimHarness& operator=(const SimHarness&) = delete;

    /// Also render the paper roll (into PaperPath()); the suffix picks the
    /// format: "png", or "pgm" for a test that reads the pixels without QtGui.
    SimHarness& WithPaper(const QString& suffix = "png");
    /// Run the simulator inside this network namespace (`ip netns exec`).
    SimHarness& InNamespace(const QString& netns);

    /// For a test that makes the simulator fail: it is to end by itself with
    /// this exit code (a start that fails then also counts as expected).
    SimHarness& ExpectExit(int code);

    /// Starts korva-sim and waits (up to 10 s) for its "ready" line.
    bool Start(const QStringList& options);
    /// SIGTERM, then a kill if it does not end within 3 s; then checks how it
    /// ended. Safe to call twice.
    void Stop();
    bool Running() const;

    QString Error() const { return m_Error; }
    QString SerialPath() const { return m_SerialPath; }
    QString TcpAddress() const { return m_TcpAddress; }
    quint16 TcpPort() const { return m_TcpPort; }
    quint16 UdpPort() const { return m_UdpPort; }
    QString StatePath() const;
    QString PaperPath() const;
    /// What the simulator wrote on stderr so far.
    QString StandardError();

    /// A blocking TCP connection to the simulator's TCP port; -1 on failure.
    int ConnectTcp() const;

    /// The state file as it is now (an empty object if unreadable).
    QJsonObject State() const;
    /// Reads the state until `done` holds or the time is up; returns the last
    /// state read either way (check it with the same condition).
    QJsonObject WaitForState(const std::function<bool(const QJsonObject&)>& done,
                             int timeoutMs = 5000) const;

    /// The bytes of connection `index` (0-based, in order of first byte) in a state.
    static QByteArray Received(const QJsonObject& state, int index);
    /// Full path of the simulator program.
    static QString Program();

  private:
    bool ReadStartupLines();
    void CheckEnd();

    std::unique_ptr<QTemporaryDir> m_Dir;
    SanitizerLog m_SanitizerLog;
    QProcess m_Process;
    bool m_Unchecked = false;  ///< started, and how it ended not looked at yet
    int m_ExpectedExit = 0;    ///< after Stop's SIGTERM, a clean end is 0
    QString m_PaperSuffix;  ///< empty: no paper
    QString m_Netns;
    QString m_Error;
    QString m_SerialPath;
    QString m_TcpAddress;
    quint16 m_TcpPort = 0;
    quint16 m_UdpPort = 0;
};

/// Opens a tty path read/write in raw mode at 9600 8N1 (a host's port, in short).
/// Returns the descriptor, or -1.
int OpenRawTty(const QString& path);
/// Writes everything; false on an error.
bool WriteAll(int fd, const QByteArray& bytes);
/// Reads until `count` bytes arrived or `timeoutMs` passed; returns what came.
QByteArray ReadFor(int fd, int count, int timeoutMs);
/// "1d 49 01" or "1d4901" to bytes.
QByteArray Bytes(const char* hex);

}  // namespace korva::test

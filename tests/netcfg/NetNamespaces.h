#pragma once
// A "host" and a "printer" network namespace joined by a veth pair, made for
// one test (scripts/netns-up.sh) and removed after it. Broadcasts sent inside
// them never reach a real network.
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <QProcess>
#include <QString>
#include <functional>
#include <thread>

namespace korva::test {

class TestNamespaces {
  public:
    /// 0 when up; 77 when namespaces are not allowed here (skip); else a failure.
    int Up(const QString& tag) {
        m_Suffix = QStringLiteral("%1%2").arg(tag).arg(getpid());
        const int rc = Script("netns-up.sh");
        m_Up = rc == 0;
        return rc;
    }
    ~TestNamespaces() {
        if (m_Up) Script("netns-down.sh");
    }
    QString Host() const { return "korva-host-" + m_Suffix; }
    QString Printer() const { return "korva-printer-" + m_Suffix; }
    QString Output() const { return m_Output; }

    /// Runs `work` on a thread that has entered the host namespace; false (and
    /// `work` not run) when the thread could not enter it, so nothing is ever
    /// sent from the machine's own namespace.
    bool RunInHost(const std::function<void()>& work) const {
        bool entered = false;
        std::thread([&] {
            const int fd = ::open(("/var/run/netns/" + Host()).toLocal8Bit().constData(),
                                  O_RDONLY | O_CLOEXEC);
            entered = fd >= 0 && setns(fd, CLONE_NEWNET) == 0;
            if (fd >= 0) ::close(fd);
            if (entered) work();
        }).join();
        return entered;
    }

  private:
    int Script(const char* name) {
        QProcess process;
        process.start(QStringLiteral(KORVA_SOURCE_DIR "/scripts/") + name, {m_Suffix});
        process.waitForFinished(20000);
        m_Output = QString::fromLocal8Bit(process.readAllStandardOutput() +
                                          process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString m_Suffix;
    QString m_Output;
    bool m_Up = false;
};

}  // namespace korva::test

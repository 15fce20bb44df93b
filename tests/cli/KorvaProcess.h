#pragma once
// `korva` run as a subprocess: arguments, extra environment, and its exit
// code and output collected at the end. Start() returns at once, so a test
// can play the printer on a pty while the command writes. A crash or a
// sanitizer report fails the running test; the exit code is the test's to check.
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <string>

#include "support/ChildCheck.h"

namespace korva::test {

struct KorvaResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class KorvaProcess {
  public:
    KorvaProcess() {
        static int argc = 1;
        static char name[] = "test_cli";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
        m_Env = QProcessEnvironment::systemEnvironment();
    }
    ~KorvaProcess() {
        if (m_Process.state() != QProcess::NotRunning) {
            m_Process.kill();
            m_Process.waitForFinished(3000);
        }
    }

    void SetEnv(const QString& name, const QString& value) { m_Env.insert(name, value); }

    bool Start(const QStringList& args) {
        m_Process.setProcessEnvironment(m_SanitizerLog.Environment(m_Env));
        m_Process.setStandardInputFile(QProcess::nullDevice());
        m_Process.start(QStringLiteral(KORVA_BIN_DIR "/korva"), args);
        return m_Process.waitForStarted(10000);
    }

    /// Waits for the end (the bound only guards against a hang: killed after it).
    KorvaResult Finish(int timeoutMs = 60000) {
        KorvaResult result;
        const bool finished = m_Process.waitForFinished(timeoutMs);
        if (!finished) {
            m_Process.kill();
            m_Process.waitForFinished(3000);
            result.err = "korva did not finish in time\n";
        } else if (m_Process.exitStatus() == QProcess::NormalExit) {
            result.exitCode = m_Process.exitCode();
        }
        result.out = m_Process.readAllStandardOutput().toStdString();
        result.err += m_Process.readAllStandardError().toStdString();
        if (finished)
            ExpectCleanEnd("korva", m_Process, m_SanitizerLog, QString::fromStdString(result.err),
                           std::nullopt);
        return result;
    }

    KorvaResult Run(const QStringList& args) {
        if (!Start(args)) return {-1, "", "korva did not start\n"};
        return Finish();
    }

  private:
    SanitizerLog m_SanitizerLog;
    QProcess m_Process;
    QProcessEnvironment m_Env;
};

}  // namespace korva::test

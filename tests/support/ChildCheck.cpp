#include "support/ChildCheck.h"

#include <gtest/gtest.h>

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace korva::test {
namespace {
// The runtimes of ASan+UBSan builds; each takes its own options variable.
constexpr const char* kOptionVariables[] = {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"};

/// The folder of the log_path this process was given, "" when none.
QString InheritedReportFolder() {
    for (const char* variable : kOptionVariables) {
        const QString options = qEnvironmentVariable(variable);
        const qsizetype at = options.lastIndexOf("log_path=");
        if (at < 0) continue;
        const QString path = options.mid(at + 9).section(':', 0, 0);
        if (path.contains('/')) return path.left(path.lastIndexOf('/'));
    }
    return {};
}
}  // namespace

SanitizerLog::SanitizerLog() {
    static QAtomicInt serial;
    const QString folder = InheritedReportFolder();
    // A report file is named <log_path>.<pid>; the stem keeps children of this
    // log apart from every other process's.
    m_Stem = (folder.isEmpty() ? m_Dir.path() : folder) + "/child-" +
             QString::number(QCoreApplication::applicationPid()) + "-" + QString::number(serial.fetchAndAddRelaxed(1));
}

QProcessEnvironment SanitizerLog::Environment(QProcessEnvironment env) const {
    const QString logPath = "log_path=" + m_Stem;
    for (const char* variable : kOptionVariables) {
        const QString options = env.value(variable);
        // The later of two settings wins, so an inherited log_path is overridden.
        env.insert(variable, options.isEmpty() ? logPath : options + ":" + logPath);
    }
    return env;
}

QString SanitizerLog::Reports() const {
    QString reports;
    const QFileInfo stem(m_Stem);
    const QDir dir(stem.path());
    for (const QString& name : dir.entryList({stem.fileName() + ".*"}, QDir::Files)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly)) reports += QString::fromLocal8Bit(file.readAll());
    }
    return reports;
}

void ExpectCleanEnd(const QString& name, const QProcess& process, const SanitizerLog& log,
                    const QString& stderrText, std::optional<int> expectedExit) {
    const std::string who = name.toStdString();
    const QString reports = log.Reports();
    EXPECT_TRUE(reports.isEmpty()) << who << " left a sanitizer report:\n"
                                   << reports.toStdString();
    if (process.exitStatus() == QProcess::CrashExit) {
        ADD_FAILURE() << who << " crashed (signal " << process.exitCode() << "); its stderr:\n"
                      << stderrText.toStdString();
    } else if (expectedExit && process.exitCode() != *expectedExit) {
        ADD_FAILURE() << who << " ended with exit code " << process.exitCode() << ", expected "
                      << *expectedExit << "; its stderr:\n"
                      << stderrText.toStdString();
    }
}

}  // namespace korva::test

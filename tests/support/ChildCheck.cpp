#include "support/ChildCheck.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace korva::test {
namespace {
// The runtimes of ASan+UBSan builds; each takes its own options variable.
constexpr const char* kOptionVariables[] = {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"};
// A report file is named <log_path>.<pid>.
constexpr const char* kReportStem = "report";
}  // namespace

QProcessEnvironment SanitizerLog::Environment(QProcessEnvironment env) const {
    const QString logPath = "log_path=" + m_Dir.filePath(kReportStem);
    for (const char* variable : kOptionVariables) {
        const QString options = env.value(variable);
        // The later of two settings wins, so an inherited log_path is overridden.
        env.insert(variable, options.isEmpty() ? logPath : options + ":" + logPath);
    }
    return env;
}

QString SanitizerLog::Reports() const {
    QString reports;
    const QDir dir(m_Dir.path());
    for (const QString& name : dir.entryList({QString(kReportStem) + ".*"}, QDir::Files)) {
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

#pragma once
// How a child process of a test ended. The sanitizer runtimes of a child write
// their reports to files of their own (log_path), so a report never hides in a
// stream nobody reads: the test that started the child fails and shows it. In
// a sanitizer run the files are in the run's report folder (where the test's
// own log_path points), so the run's final check sees them too.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace korva::test {

class SanitizerLog {
  public:
    SanitizerLog();
    /// `env` with every sanitizer's log_path pointed into this log's directory
    /// (the options already set, such as detect_leaks, are kept).
    QProcessEnvironment Environment(QProcessEnvironment env) const;
    /// Every report written so far by a process started with Environment(); "" if none.
    QString Reports() const;

  private:
    QTemporaryDir m_Dir;  ///< used outside a sanitizer run only
    QString m_Stem;       ///< the children's log_path: their reports are <stem>.<pid>
};

/// Fails the running test when `process` crashed, left a sanitizer report in
/// `log`, or (with an expected code) ended with another exit code. `name` and
/// `stderrText` go into the failure.
void ExpectCleanEnd(const QString& name, const QProcess& process, const SanitizerLog& log,
                    const QString& stderrText, std::optional<int> expectedExit);

}  // namespace korva::test

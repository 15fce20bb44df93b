#pragma once
// Korean labels are chosen from the system locale, which a process reads
// once. Tests of them run in a child process of this test program started
// with a Korean locale; in the parent those child tests skip themselves.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <gtest/gtest.h>

namespace korva::test {

inline bool InKoreanChild() { return qEnvironmentVariableIsSet("KORVA_KOREAN_CHILD"); }

/// Runs the tests matching `filter` in a child with LANG=ko_KR.UTF-8;
/// returns its output and sets `passed` when every one of them passed.
inline QString RunInKoreanChild(const QString& filter, bool& passed) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LANG", "ko_KR.UTF-8");
    env.insert("LC_ALL", "ko_KR.UTF-8");
    env.insert("LANGUAGE", "ko");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KORVA_KOREAN_CHILD", "1");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start("/proc/self/exe", {"--gtest_filter=" + filter, "--gtest_also_run_disabled_tests"});
    const bool finished = child.waitForFinished(60000);
    const QString output = QString::fromUtf8(child.readAll());
    passed = finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 &&
             output.contains("[  PASSED  ]") && !output.contains("[  SKIPPED ]");
    return output;
}

}  // namespace korva::test

/// A test body that only runs inside the Korean child.
#define KOREAN_CHILD_ONLY() \
    if (!korva::test::InKoreanChild()) GTEST_SKIP() << "runs in the Korean child process"

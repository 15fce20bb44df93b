// The real program, started the way a user starts it.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <fstream>
#include <iterator>
#include <regex>

#include "QtTestSupport.h"
#include "app/Version.h"
#include "support/TestDir.h"

namespace {
std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
}  // namespace

TEST(KorvatoolProcess, StartsWithTheConnectionDialogAndANewErrorLog) {
    korva::test::TestApp();
    korva::test::TestDir dir;
    std::ofstream(dir / "error.log") << "left over from the last run\r\n";

    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    tool.setProcessEnvironment(env);
    tool.setWorkingDirectory(QString::fromStdString(dir.path().string()));
    tool.start(QStringLiteral(KORVA_BIN_DIR "/korvatool"), {});
    ASSERT_TRUE(tool.waitForStarted(5000)) << "korvatool missing in " KORVA_BIN_DIR;

    const std::string expectedLine = korva::app::ErrorLogFirstLine();
    const bool logged = korva::test::RunEventsUntil(
        [&] { return ReadAll(dir / "error.log").find(expectedLine) != std::string::npos; }, 15000);
    const bool running = tool.state() == QProcess::Running;
    tool.kill();
    tool.waitForFinished(5000);

    ASSERT_TRUE(logged) << ReadAll(dir / "error.log");
    EXPECT_TRUE(running) << "korvatool ended instead of showing its dialog";
    const std::regex firstLine("\\[\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\\] " + expectedLine + "\r\n");
    EXPECT_TRUE(std::regex_match(ReadAll(dir / "error.log"), firstLine));
    EXPECT_EQ(QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed().toStdString(), dir.path().string())
        << "start-up names its working directory";
}

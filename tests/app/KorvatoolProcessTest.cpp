// The real program, started the way a user starts it: where it keeps its
// profile and error log, and what it does with files that are not its own.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

#include "support/QtTestSupport.h"
#include "profile/Version.h"
#include "support/TestDir.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every file below `root` but the libraries' cache, relative to it, sorted.
std::vector<std::string> FilesUnder(const fs::path& root) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).string();
        if (!entry.is_directory() && !name.starts_with("cache/")) files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// korvatool started in `cwd` with a home folder of its own, until `ready`
// holds (or 15 s pass); then ended.
struct Started {
    bool ready = false;
    bool running = false;
    std::string out, err;
};
Started StartKorvatool(const fs::path& cwd, const fs::path& home, const std::map<QString, QString>& env,
                       const std::function<bool(QProcess&)>& ready) {
    korva::test::TestApp();
    QProcess tool;
    QProcessEnvironment vars = QProcessEnvironment::systemEnvironment();
    vars.insert("QT_QPA_PLATFORM", "offscreen");
    vars.insert("HOME", QString::fromStdString(home.string()));
    vars.remove("XDG_CONFIG_HOME");
    vars.remove("XDG_STATE_HOME");
    // Caches of the libraries below (fontconfig) are theirs, not the program's.
    vars.insert("XDG_CACHE_HOME", QString::fromStdString((cwd.parent_path() / "cache").string()));
    for (const auto& [name, value] : env) vars.insert(name, value);
    tool.setProcessEnvironment(vars);
    tool.setWorkingDirectory(QString::fromStdString(cwd.string()));
    tool.start(QStringLiteral(KORVA_BIN_DIR "/korvatool"), {});
    Started result;
    if (!tool.waitForStarted(5000)) return result;
    result.ready = korva::test::RunEventsUntil([&] { return ready(tool); }, 15000);
    result.running = tool.state() == QProcess::Running;
    tool.kill();
    tool.waitForFinished(5000);
    result.out = tool.readAllStandardOutput().toStdString();
    result.err = tool.readAllStandardError().toStdString();
    return result;
}

struct Placement {
    const char* name;
    bool profileInCwd;   // portable mode: a KorvaTool.INI beside the start
    bool xdgVariables;   // XDG_CONFIG_HOME / XDG_STATE_HOME set
    const char* logAt;   // relative to the test folder
};

void PrintTo(const Placement& row, std::ostream* out) { *out << row.name; }

class KorvatoolFiles : public ::testing::TestWithParam<Placement> {};

TEST_P(KorvatoolFiles, ErrorLogIsNewAndNothingElseIsWritten) {
    const Placement& row = GetParam();
    korva::test::TestDir dir;
    const fs::path cwd = dir / "work", home = dir / "home";
    fs::create_directories(cwd);
    fs::create_directories(home);
    if (row.profileInCwd) std::ofstream(cwd / "KorvaTool.INI") << "[DEVICELIST]\r\n1=KORVA20IIS\r\n";
    // A portable log is replaced; the XDG folders are made by the program.
    const fs::path log = dir / row.logAt;
    if (row.profileInCwd) std::ofstream(log) << "left over from the last run\r\n";
    std::map<QString, QString> env;
    if (row.xdgVariables) {
        env["XDG_CONFIG_HOME"] = QString::fromStdString((dir / "config").string());
        env["XDG_STATE_HOME"] = QString::fromStdString((dir / "state").string());
    }
    const std::string expectedLine = korva::profile::ErrorLogFirstLine();
    const Started run = StartKorvatool(cwd, home, env, [&](QProcess&) {
        return ReadAll(log).find(expectedLine) != std::string::npos;
    });

    ASSERT_TRUE(run.ready) << ReadAll(log) << run.err;
    EXPECT_TRUE(run.running) << "korvatool ended instead of showing its dialog";
    const std::regex firstLine("\\[\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\\] " + expectedLine + "\r\n");
    EXPECT_TRUE(std::regex_match(ReadAll(log), firstLine));
    EXPECT_EQ(run.out, "") << "nothing on standard output unless asked";
    // Only the log: the profile is written when a setting changes, and
    // nothing lands in the home folder itself.
    std::vector<std::string> expected = {row.logAt};
    if (row.profileInCwd) expected.push_back("work/KorvaTool.INI");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesUnder(dir.path()), expected);
    if (!row.profileInCwd) {
        EXPECT_EQ(fs::status(log.parent_path()).permissions(), fs::perms::owner_all);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Places, KorvatoolFiles,
    ::testing::Values(Placement{"Portable", true, false, "work/error.log"},
                      Placement{"PortableWinsOverXdg", true, true, "work/error.log"},
                      Placement{"HomeDefaults", false, false, "home/.local/state/korvatool/error.log"},
                      Placement{"XdgVariables", false, true, "state/korvatool/error.log"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KorvatoolFiles, AFifoProfileAndALinkedLogAreLeftAlone) {
    korva::test::TestDir dir;
    const fs::path cwd = dir / "work";
    fs::create_directories(cwd);
    ASSERT_EQ(::mkfifo((cwd / "KorvaTool.INI").c_str(), 0644), 0);
    std::ofstream(dir / "precious.txt") << "keep me";
    fs::create_symlink(dir / "precious.txt", cwd / "error.log");

    // The log's note comes after the profile was read: start-up got past it.
    std::string err;
    const Started run = StartKorvatool(cwd, dir / "home", {}, [&](QProcess& tool) {
        err += tool.readAllStandardError().toStdString();
        return err.find("the error log is off") != std::string::npos;
    });
    ASSERT_TRUE(run.ready) << "korvatool hung or kept quiet: " << err;
    EXPECT_TRUE(run.running);
    EXPECT_NE(err.find((cwd / "KorvaTool.INI").string() + " is not a regular file: not read"), std::string::npos)
        << err;
    EXPECT_NE(err.find((cwd / "error.log").string() + " is a symbolic link"), std::string::npos) << err;
    EXPECT_EQ(ReadAll(dir / "precious.txt"), "keep me");
    EXPECT_TRUE(fs::is_symlink(cwd / "error.log"));
    EXPECT_TRUE(fs::is_fifo(cwd / "KorvaTool.INI"));
    EXPECT_FALSE(fs::exists(dir / "home"));
}

}  // namespace

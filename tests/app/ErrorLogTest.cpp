#include "base/ErrorLog.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "support/TestDir.h"

using korva::base::CErrorLog;

namespace {
std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
std::tm Stamp() {
    std::tm t{};
    t.tm_year = 2011 - 1900;
    t.tm_mon = 4;
    t.tm_mday = 3;
    t.tm_hour = 14;
    t.tm_min = 22;
    t.tm_sec = 5;
    return t;
}
}  // namespace

TEST(ErrorLog, LineHasStampTextAndCrLf) {
    korva::test::TestDir dir;
    CErrorLog log;
    log.SetTimeSource(Stamp);
    ASSERT_EQ(log.OpenLog((dir / "error.log").string()), 1);
    log.Log("CPorts::Open() CreateFile error\r\n");
    log.Log("WriteFile get error result [%d]", 5);
    // Written unbuffered: the file is complete before the log is closed.
    EXPECT_EQ(ReadAll(dir / "error.log"),
              "[2011/05/03 14:22:05] CPorts::Open() CreateFile error\r\n\r\n"
              "[2011/05/03 14:22:05] WriteFile get error result [5]\r\n");
}

TEST(ErrorLog, ReopeningReplacesTheEarlierRun) {
    korva::test::TestDir dir;
    {
        CErrorLog first;
        first.OpenLog((dir / "error.log").string());
        first.Log("first run");
    }
    CErrorLog second;
    second.SetTimeSource(Stamp);
    second.OpenLog((dir / "error.log").string());
    second.Log("second run");
    EXPECT_EQ(ReadAll(dir / "error.log"), "[2011/05/03 14:22:05] second run\r\n");
}

TEST(ErrorLog, UncreatableFileLeavesLoggingOff) {
    korva::test::TestDir dir;
    CErrorLog log;
    EXPECT_EQ(log.OpenLog((dir / "missing" / "error.log").string()), 0);
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(log.Problem(), "cannot be written (No such file or directory)");
    log.Log("ignored %d", 1);  // must not crash
}

TEST(ErrorLog, ALinkOrAFifoIsNeverWritten) {
    korva::test::TestDir dir;
    std::ofstream(dir / "precious.txt") << "keep me";
    std::filesystem::create_symlink(dir / "precious.txt", dir / "link.log");
    std::filesystem::create_hard_link(dir / "precious.txt", dir / "hard.log");
    ASSERT_EQ(::mkfifo((dir / "fifo.log").c_str(), 0644), 0);
    // With a reader on the FIFO a plain open would succeed and write into it.
    const int reader = ::open((dir / "fifo.log").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const struct {
        const char* name;
        const char* problem;
    } rows[] = {{"link.log", "is a symbolic link"},
                {"fifo.log", "is not a regular file"},
                {"hard.log", "has other names (hard links)"}};
    for (const auto& row : rows) {
        CErrorLog log;
        EXPECT_EQ(log.OpenLog((dir / row.name).string()), 0) << row.name;
        EXPECT_EQ(log.Problem(), row.problem);
        log.Log("nothing");
    }
    char byte = 0;
    EXPECT_EQ(::read(reader, &byte, 1), 0) << "the FIFO received bytes";
    ::close(reader);
    EXPECT_EQ(ReadAll(dir / "precious.txt"), "keep me");
}

#include "profile/IniProfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "profile/AppProfile.h"
#include "profile/MemoryProfile.h"
#include "support/TestDir.h"

using korva::profile::IniProfile;
using namespace std::string_literals;

namespace {
std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
void WriteAll(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}
size_t EntriesIn(const std::filesystem::path& dir) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}
}  // namespace

TEST(IniProfile, ChangesAreOnDiskWhenTheCallReturns) {
    korva::test::TestDir dir;
    const auto path = dir / "KorvaTool.INI";
    WriteAll(path, "[DEVICELIST]\n1=KORVA20S\n");
    IniProfile profile(path.string());
    EXPECT_EQ(profile.GetString("devicelist", "1"), "KORVA20S");
    EXPECT_EQ(profile.GetString("DEVICELIST", "2", "none"), "none");

    ASSERT_TRUE(profile.WriteString("DEVICELIST", "2", "KORVA10P"));
    EXPECT_EQ(ReadAll(path), "[DEVICELIST]\r\n1=KORVA20S\r\n2=KORVA10P\r\n");
    ASSERT_TRUE(profile.DeleteKey("DEVICELIST", "1"));
    EXPECT_EQ(ReadAll(path), "[DEVICELIST]\r\n2=KORVA10P\r\n");
    EXPECT_TRUE(profile.DeleteKey("DEVICELIST", "missing"));

    EXPECT_EQ(IniProfile(path.string()).GetString("DEVICELIST", "2"), "KORVA10P");
    EXPECT_EQ(EntriesIn(dir.path()), 1u) << "a temporary file was left behind";
}

TEST(IniProfile, MissingFileIsCreatedOnFirstWrite) {
    korva::test::TestDir dir;
    const auto path = dir / "New.INI";
    IniProfile profile(path.string());
    EXPECT_EQ(profile.GetString("LOGO", "Count", "0"), "0");
    ASSERT_TRUE(profile.WriteString("LOGO", "Count", "0"));
    EXPECT_EQ(ReadAll(path), "[LOGO]\r\nCount=0\r\n");
}

TEST(IniProfile, FailedRenameLeavesOldContentAndNoTemporaryFile) {
    korva::test::TestDir dir;
    // The profile path names a folder: the final rename must fail.
    const auto path = dir / "Blocked.INI";
    std::filesystem::create_directory(path);
    WriteAll(path / "inside", "old content");
    IniProfile profile(path.string());
    EXPECT_FALSE(profile.WriteString("LOGO", "Count", "1"));
    EXPECT_EQ(ReadAll(path / "inside"), "old content");
    EXPECT_EQ(EntriesIn(dir.path()), 1u) << "a temporary file was left behind";
}

TEST(IniProfile, AFolderThatCannotBeMadeFailsTheSave) {
    korva::test::TestDir dir;
    WriteAll(dir / "plain", "not a folder");
    const auto path = dir / "plain" / "korvatool" / "KorvaTool.INI";
    IniProfile profile(path.string());
    EXPECT_FALSE(profile.WriteString("LOGO", "Count", "1"));
    EXPECT_EQ(ReadAll(dir / "plain"), "not a folder");
}

TEST(IniProfile, DamagedFileIsReadAsFarAsPossible) {
    korva::test::TestDir dir;
    const auto path = dir / "KorvaTool.INI";
    WriteAll(path, "\xEF\xBB\xBF[LOGO\nbroken\n[LOGO]\nCount=2\n\0\0\n[USER]\nSpeed=1"s);
    IniProfile profile(path.string());
    EXPECT_EQ(profile.SkippedLines(), 3u);
    EXPECT_EQ(profile.GetString("LOGO", "Count"), "2");
    EXPECT_EQ(profile.GetString("USER", "Speed"), "1");
    // A save rewrites the readable part cleanly.
    ASSERT_TRUE(profile.WriteString("USER", "Speed", "2"));
    EXPECT_EQ(ReadAll(path), "[LOGO]\r\nCount=2\r\n\r\n[USER]\r\nSpeed=2\r\n");
}

TEST(IniProfile, KeepsThePermissionsOfTheOldFile) {
    korva::test::TestDir dir;
    const auto path = dir / "KorvaTool.INI";
    WriteAll(path, "[A]\nx=1\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    IniProfile profile(path.string());
    ASSERT_TRUE(profile.WriteString("A", "x", "2"));
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(IniProfile, ALinkOrAFifoIsNeitherReadNorReplaced) {
    korva::test::TestDir dir;
    WriteAll(dir / "real.INI", "[A]\nx=1\n");
    std::filesystem::create_symlink(dir / "real.INI", dir / "link.INI");
    ASSERT_EQ(::mkfifo((dir / "fifo.INI").c_str(), 0644), 0);
    for (const char* name : {"link.INI", "fifo.INI"}) {
        IniProfile profile((dir / name).string());  // a FIFO would block a plain open
        EXPECT_EQ(profile.GetString("A", "x", "default"), "default") << name;
        EXPECT_NE(profile.Problem(), "") << name;
        EXPECT_FALSE(profile.WriteString("A", "x", "2")) << name;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.INI"));
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "fifo.INI"));
    EXPECT_EQ(ReadAll(dir / "real.INI"), "[A]\nx=1\n");
}

TEST(IniProfile, FirstSaveMakesAMissingFolder) {
    korva::test::TestDir dir;
    const auto path = dir / "config" / "korvatool" / "KorvaTool.INI";
    IniProfile profile(path.string());
    ASSERT_TRUE(profile.WriteString("A", "x", "1"));
    EXPECT_EQ(ReadAll(path), "[A]\r\nx=1\r\n");
    EXPECT_EQ(std::filesystem::status(path.parent_path()).permissions(), std::filesystem::perms::owner_all);
}

TEST(AppProfile, InstalledProfileIsTheOneToolsSee) {
    korva::profile::MemoryProfile memory("[DEVICELIST]\n1=KORVA10S\n");
    korva::base::Profile* previous = korva::profile::SetAppProfile(&memory);
    EXPECT_EQ(korva::profile::AppProfile().GetString("DEVICELIST", "1"), "KORVA10S");
    korva::profile::SetAppProfile(previous);
    EXPECT_NE(&korva::profile::AppProfile(), &memory);
}

#include "profile/IniFile.h"

#include <gtest/gtest.h>

using korva::profile::IniFile;
using namespace std::string_view_literals;

namespace {
std::string ValueOf(const IniFile& ini, std::string_view section, std::string_view key) {
    const std::string* value = ini.Find(section, key);
    return value ? *value : "<missing>";
}
}  // namespace

TEST(IniFile, ReadsWindowsProfileWithCaseInsensitiveNamesAndVerbatimValues) {
    const IniFile ini = IniFile::Parse(
        "\xEF\xBB\xBF[DEVICELIST]\r\n1=KORVA20S\r\n2 = KORVA10P \r\n\r\n"
        "[Logo]\r\nFile1=C:\\Logos\\shop.bmp|1|2,3\r\nEmpty=\r\n");
    EXPECT_EQ(ValueOf(ini, "devicelist", "1"), "KORVA20S");
    EXPECT_EQ(ValueOf(ini, "DeviceList", "2"), "KORVA10P");
    EXPECT_EQ(ValueOf(ini, "LOGO", "file1"), "C:\\Logos\\shop.bmp|1|2,3");
    EXPECT_EQ(ValueOf(ini, "LOGO", "Empty"), "");
    EXPECT_EQ(ValueOf(ini, "LOGO", "File2"), "<missing>");
    EXPECT_EQ(ValueOf(ini, "USER", "1"), "<missing>");
    EXPECT_EQ(ini.SkippedLines(), 0u);
}

TEST(IniFile, LfAndBareCrLineEndsReadLikeCrLf) {
    const IniFile lf = IniFile::Parse("[A]\nx=1\ny=2\n");
    const IniFile cr = IniFile::Parse("[A]\rx=1\ry=2");
    EXPECT_EQ(ValueOf(lf, "A", "y"), "2");
    EXPECT_EQ(ValueOf(cr, "A", "y"), "2");
    EXPECT_EQ(lf.Serialize(), "[A]\r\nx=1\r\ny=2\r\n");
    EXPECT_EQ(cr.Serialize(), lf.Serialize());
}

TEST(IniFile, DamagedLinesAreSkippedAndTheRestIsRead) {
    const IniFile ini = IniFile::Parse(
        "orphan=kept before any section\n"
        "[USER\n"          // header without ']'
        "[]\n"             // header without a name
        "no equals sign\n"
        "=no key\n"
        "a=b\0c\n"          // NUL inside a line
        "[USER]\n"
        "Speed=3\n"
        "Speed=9\n"        // repeated key: the first one counts
        "  ; a comment\n"
        "[user]\n"         // repeated section merges into the first
        "Margin=1\n"
        "[Tail] trailing text\n"
        "last=x"sv);
    EXPECT_EQ(ini.SkippedLines(), 5u);
    EXPECT_EQ(ValueOf(ini, "USER", "Speed"), "3");
    EXPECT_EQ(ValueOf(ini, "USER", "Margin"), "1");
    EXPECT_EQ(ValueOf(ini, "Tail", "last"), "x");
    EXPECT_EQ(ValueOf(ini, "", "orphan"), "kept before any section");
    EXPECT_EQ(ini.Keys("User"), (std::vector<std::string>{"Speed", "Margin"}));

    // A value past the line limit (a megabyte "model name") is skipped, the next one read.
    const std::string huge = "[DEVICELIST]\n1=" + std::string(IniFile::kMaxLineBytes, 'K') + "\n2=KORVA20S\n";
    const IniFile capped = IniFile::Parse(huge);
    EXPECT_EQ(capped.Find("DEVICELIST", "1"), nullptr);
    EXPECT_EQ(ValueOf(capped, "DEVICELIST", "2"), "KORVA20S");
    EXPECT_EQ(capped.SkippedLines(), 1u);
}

TEST(IniFile, NulInsideTextDoesNotCutTheFile) {
    const auto text = "[A]\nx=1\n\0\0garbage\ny=2\n"sv;
    const IniFile ini = IniFile::Parse(text);
    EXPECT_EQ(ValueOf(ini, "A", "y"), "2");
    EXPECT_EQ(ini.SkippedLines(), 1u);
}

TEST(IniFile, Utf16ProfileIsConverted) {
    // "[USER]\r\nName=한\r\n" as UTF-16LE with its byte order mark.
    const auto text = "\xFF\xFE[\0U\0S\0E\0R\0]\0\r\0\n\0N\0a\0m\0e\0=\0\x5C\xD5\r\0\n\0"sv;
    const IniFile ini = IniFile::Parse(text);
    EXPECT_EQ(ValueOf(ini, "user", "name"), "\xED\x95\x9C");
}

TEST(IniFile, SerializeWritesCrLfAndKeepsComments) {
    IniFile ini = IniFile::Parse("; KorvaTool profile\n[LOGO]\n# logos\nCount=1\n");
    ASSERT_TRUE(ini.Set("LOGO", "Count", "2"));
    ASSERT_TRUE(ini.Set("DEVICELIST", "1", "KORVA20S"));
    EXPECT_EQ(ini.Serialize(),
              "; KorvaTool profile\r\n\r\n[LOGO]\r\n# logos\r\nCount=2\r\n\r\n[DEVICELIST]\r\n1=KORVA20S\r\n");
}

TEST(IniFile, SetUpdatesTheFirstMatchWhateverItsCase) {
    IniFile ini = IniFile::Parse("[Logo]\nCOUNT=1\n");
    ASSERT_TRUE(ini.Set("LOGO", "count", "7"));
    EXPECT_EQ(ini.Serialize(), "[Logo]\r\nCOUNT=7\r\n");
}

TEST(IniFile, SetRefusesWhatCouldNotBeReadBack) {
    IniFile ini;
    EXPECT_FALSE(ini.Set("LOGO", "a", "two\r\nlines"));
    EXPECT_FALSE(ini.Set("LOGO", "a", "nul\0"sv));
    EXPECT_FALSE(ini.Set("LOGO", "a", " padded"));
    EXPECT_FALSE(ini.Set("LOGO", "a=b", "x"));
    EXPECT_FALSE(ini.Set("LOGO", ";a", "x"));
    EXPECT_FALSE(ini.Set("LOGO", "[a", "x"));
    EXPECT_FALSE(ini.Set("LO]GO", "a", "x"));
    EXPECT_FALSE(ini.Set("", "a", "x"));
    EXPECT_FALSE(ini.Set("LOGO", "", "x"));
    EXPECT_EQ(ini.Serialize(), "");
    EXPECT_TRUE(ini.Set("LOGO", "a", "x = y | z"));
    EXPECT_EQ(ValueOf(IniFile::Parse(ini.Serialize()), "LOGO", "a"), "x = y | z");
}

TEST(IniFile, RemoveDropsEveryCopyOfTheKey) {
    IniFile ini = IniFile::Parse("[A]\nk=1\n[a]\nK=2\nother=3\n");
    EXPECT_TRUE(ini.Remove("A", "k"));
    EXPECT_EQ(ini.Find("A", "k"), nullptr);
    EXPECT_FALSE(ini.Remove("A", "k"));
    EXPECT_FALSE(ini.Remove("B", "k"));
    EXPECT_EQ(ValueOf(ini, "A", "other"), "3");
}

TEST(IniFile, KeyStartingWithMarkBytesSurvivesASave) {
    // Found by fuzzing: the marks of a first key must not be taken for the file's own.
    const IniFile ini = IniFile::Parse("\0\n\xEF\xBB\xBFkey=v\n"sv);
    ASSERT_NE(ini.Find("", "\xEF\xBB\xBFkey"), nullptr);
    const IniFile again = IniFile::Parse(ini.Serialize());
    EXPECT_EQ(ValueOf(again, "", "\xEF\xBB\xBFkey"), "v");
    EXPECT_EQ(IniFile::Parse("[A]\nx=1\n").Serialize(), "[A]\r\nx=1\r\n") << "no mark on ordinary files";
}

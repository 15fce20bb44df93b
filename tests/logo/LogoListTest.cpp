// The logo list: numbering, limits, messages and the profile's "LOGO" section.
#include <gtest/gtest.h>

#include <map>

#include "profile/MemoryProfile.h"
#include "base/Messages.h"
#include "logo/LogoListEditor.h"

namespace korva::logo {
namespace {

// Files by path: their geometry, or absent (cannot be opened as a bitmap).
class ListFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        files["C:\\logos\\a.bmp"] = Info(200, 100);
        files["/home/me/b.bmp"] = Info(200, 100);
        files["c.bmp"] = Info(200, 100);
        files["d.bmp"] = Info(200, 100);
        files["deep.bmp"] = Info(200, 100, 48);
    }
    static LogoFileInfo Info(int w, int h, int bpp = 24) {
        LogoFileInfo info;
        info.width = w;
        info.height = h;
        info.bitsPerPixel = bpp;
        if (bpp > 32) info.error = {BitmapErrorKind::TooManyBitsPerPixel, "48 bits per pixel"};
        return info;
    }
    LogoListEditor Editor() {
        return LogoListEditor(
            list, options,
            [this](const std::string& path, const ImageSizeCheck&) {
                ++probes;
                auto it = files.find(path);
                if (it != files.end()) return it->second;
                LogoFileInfo missing;
                missing.error = {BitmapErrorKind::FileUnreadable, "cannot open " + path};
                return missing;
            },
            [this](int message, LogoNoticeIcon icon, const std::string&) {
                if (message != kNoLogoMessage) notices.push_back({message, icon});
            });
    }
    std::vector<std::string> Numbers() const {
        std::vector<std::string> out;
        for (const LogoEntry& e : list.entries) out.push_back(e.number);
        return out;
    }

    std::map<std::string, LogoFileInfo> files;
    LogoList list;
    LogoOptions options;
    int probes = 0;
    std::vector<std::pair<int, LogoNoticeIcon>> notices;
};

using Notices = std::vector<std::pair<int, LogoNoticeIcon>>;

TEST_F(ListFixture, AddingSizesNumbersAndTexts) {
    LogoListEditor editor = Editor();
    ASSERT_TRUE(editor.AddFile(0, "C:\\logos\\a.bmp"));
    ASSERT_EQ(list.entries.size(), 1u);
    const LogoEntry& e = list.entries[0];
    EXPECT_EQ(e.number, "  1");
    EXPECT_EQ(e.name, "a.bmp");
    EXPECT_EQ(e.size, "           2600");  // 200 x 13 bands
    EXPECT_EQ(e.path, "C:\\logos\\a.bmp");
    EXPECT_EQ(list.countText, "  1 / 255");
    EXPECT_EQ(list.sizeText, "  3 / 384 KByte");
    EXPECT_EQ(list.totalBytes, 2600);
    ASSERT_TRUE(editor.AddFile(0, "/home/me/b.bmp"));
    EXPECT_EQ(list.entries[1].name, "b.bmp");
    EXPECT_EQ(list.entries[1].number, "  2");
    EXPECT_EQ(list.sizeText, "  6 / 384 KByte");  // 5200 bytes, rounded up
    EXPECT_TRUE(notices.empty());

    options.grayPrinting = true;
    ASSERT_TRUE(editor.AddFile(0, "c.bmp"));
    EXPECT_EQ(list.entries[2].size, "          10400");
}

TEST_F(ListFixture, RefusalsAndTheirMessages) {
    LogoListEditor editor = Editor();
    // More than 32 bits per pixel: its own message, every time, not a refusal.
    EXPECT_FALSE(editor.AddFile(0, "deep.bmp"));
    EXPECT_FALSE(editor.AddFile(0, "deep.bmp"));
    EXPECT_EQ(editor.refusals(), 0);
    // Unreadable: the log-file message for the first refusal only.
    EXPECT_FALSE(editor.AddFile(0, "missing.bmp"));
    EXPECT_FALSE(editor.AddFile(0, "missing2.bmp"));
    EXPECT_EQ(editor.refusals(), 2);
    EXPECT_NE(editor.lastRefusal().find("missing2.bmp"), std::string::npos);
    EXPECT_EQ(notices, (Notices{{base::kMsgBitmapFormatNotSupported, LogoNoticeIcon::None},
                                {base::kMsgBitmapFormatNotSupported, LogoNoticeIcon::None},
                                {base::kMsgLogFileBitmapIncorrect, LogoNoticeIcon::Exclamation}}));
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(list.countText, "  0 / 255");

    // A gray image whose width the header's high byte cannot carry beside A0.
    options.grayPrinting = true;
    files["wide.bmp"] = Info(70000, 1);
    notices.clear();
    EXPECT_FALSE(editor.AddFile(0, "wide.bmp"));
    EXPECT_EQ(notices, (Notices{{base::kMsgBitmapFormatNotSupported, LogoNoticeIcon::None}}));
}

TEST_F(ListFixture, NvCapacityIsExactly384KB) {
    // 512 x 768 dots = 49,152 bytes; eight of them fill 393,216 bytes exactly.
    files["big.bmp"] = Info(512, 768);
    LogoListEditor editor = Editor();
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(editor.AddFile(0, "big.bmp")) << i;
    EXPECT_EQ(list.totalBytes, 393216);
    EXPECT_EQ(list.sizeText, "384 / 384 KByte");
    files["tiny.bmp"] = Info(1, 1);
    EXPECT_FALSE(editor.AddFile(0, "tiny.bmp"));
    EXPECT_EQ(notices, (Notices{{base::kMsgNvAreaTooSmall, LogoNoticeIcon::None}}));
    EXPECT_EQ(list.Count(), 8);

    // After an earlier refusal the same overflow counts as a refusal instead.
    LogoListEditor second = Editor();
    notices.clear();
    EXPECT_FALSE(second.AddFile(0, "missing.bmp"));
    EXPECT_FALSE(second.AddFile(0, "tiny.bmp"));
    EXPECT_EQ(second.refusals(), 2);
    EXPECT_EQ(notices, (Notices{{base::kMsgLogFileBitmapIncorrect, LogoNoticeIcon::Exclamation}}));

    // An image too large even to decode is, above all, too large for the NV memory.
    list.Clear();
    LogoListEditor third = Editor();
    notices.clear();
    files["huge.bmp"].error = {BitmapErrorKind::TooLarge,
                               "the image of 20000 x 20000 pixels is too large"};
    EXPECT_FALSE(third.AddFile(0, "huge.bmp"));
    EXPECT_EQ(notices, (Notices{{base::kMsgNvAreaTooSmall, LogoNoticeIcon::None}}));
    EXPECT_EQ(third.refusals(), 0);
}

TEST_F(ListFixture, The256thFileIsRefusedBeforeItIsOpened) {
    files["dot.bmp"] = Info(8, 8);
    LogoListEditor editor = Editor();
    for (int i = 0; i < 255; ++i) ASSERT_TRUE(editor.AddFile(0, "dot.bmp"));
    EXPECT_EQ(list.countText, "255 / 255");
    EXPECT_EQ(list.entries.back().number, "255");
    const int before = probes;
    EXPECT_FALSE(editor.AddFile(0, "dot.bmp"));
    EXPECT_EQ(probes, before);
    EXPECT_EQ(notices, (Notices{{base::kMsgCantReadMoreFiles, LogoNoticeIcon::None}}));
}

TEST_F(ListFixture, RemovedNumbersAreHandedOutAgainLowestFirst) {
    LogoListEditor editor = Editor();
    for (const char* f : {"c.bmp", "c.bmp", "c.bmp"}) ASSERT_TRUE(editor.AddFile(0, f));
    list.entries[1].centerAlign = true;
    editor.RemoveNumber(2);
    EXPECT_EQ(list.countText, "  2 / 255");
    EXPECT_EQ(list.totalBytes, 2 * 2600);
    EXPECT_EQ(list.sizeText, "  6 / 384 KByte");
    EXPECT_FALSE(list.entries[0].centerAlign);  // the flag went with logo 2
    EXPECT_FALSE(list.entries[1].centerAlign);
    editor.RemoveNumber(99);  // no such logo: nothing changes
    EXPECT_EQ(list.Count(), 2);
    ASSERT_TRUE(editor.AddFile(0, "d.bmp"));
    EXPECT_EQ(list.entries.back().number, "  2");
    EXPECT_EQ(list.countText, "  3 / 255");

    editor.RemoveNumber(3);
    editor.RemoveNumber(1);
    ASSERT_TRUE(editor.AddFile(0, "d.bmp"));
    ASSERT_TRUE(editor.AddFile(0, "d.bmp"));
    ASSERT_TRUE(editor.AddFile(0, "d.bmp"));
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"  2", "  1", "  3", "  4"}));
}

TEST_F(ListFixture, ProfileWithAMissingSecondFile) {
    profile::MemoryProfile profile("[LOGO]\nLogofile1=c.bmp\nLogofile2=gone.bmp\nLogofile3=d.bmp\n");
    LogoListEditor startup = Editor();
    startup.LoadFromProfile(profile);
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"  1", "  3"}));
    EXPECT_EQ(notices, (Notices{{base::kMsgLogFileBitmapIncorrect, LogoNoticeIcon::Exclamation}}));
    EXPECT_TRUE(list.loadedFlag);
    EXPECT_EQ(list.savedKeyCount, 3);
    EXPECT_EQ(list.countText, "  2 / 255");

    // The selection page's editor picks the next file: it becomes logo 2.
    LogoListEditor page = Editor();
    EXPECT_EQ(page.AddPickedFiles({"C:\\logos\\a.bmp"}), 1);
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"  1", "  3", "  2"}));
    EXPECT_EQ(page.currentPath(), "C:\\logos\\a.bmp");

    // Saved in logo-number order; the key count stays 3.
    ASSERT_TRUE(list.SaveToProfile(profile));
    EXPECT_EQ(profile.GetString("LOGO", "Logofile1"), "c.bmp");
    EXPECT_EQ(profile.GetString("LOGO", "Logofile2"), "C:\\logos\\a.bmp");
    EXPECT_EQ(profile.GetString("LOGO", "Logofile3"), "d.bmp");

    // Read again: the same files, numbered 1..3, nothing doubled.
    LogoListEditor again = Editor();
    again.LoadFromProfile(profile);
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"  1", "  2", "  3"}));
    EXPECT_EQ(list.entries[1].name, "a.bmp");
    EXPECT_EQ(list.totalBytes, 3 * 2600);
}

TEST_F(ListFixture, SavingDeletesLeftoverKeysAndSkipsAnEmptyList) {
    profile::MemoryProfile profile("[LOGO]\nLogofile1=c.bmp\nLogofile2=d.bmp\nLogofile3=c.bmp\n");
    LogoListEditor editor = Editor();
    editor.LoadFromProfile(profile);
    editor.RemoveNumber(1);
    editor.RemoveNumber(3);
    ASSERT_TRUE(list.SaveToProfile(profile));
    EXPECT_EQ(profile.GetString("LOGO", "Logofile1"), "d.bmp");
    EXPECT_EQ(profile.GetString("LOGO", "Logofile2", "none"), "none");
    EXPECT_EQ(profile.GetString("LOGO", "Logofile3", "none"), "none");
    EXPECT_EQ(list.savedKeyCount, 1);

    editor.RemoveNumber(2);
    ASSERT_TRUE(list.SaveToProfile(profile));  // erasing the printer keeps the profile
    EXPECT_EQ(profile.GetString("LOGO", "Logofile1"), "d.bmp");

    // A save that fails keeps the larger key count, so stale keys go next time.
    profile::MemoryProfile failing("[LOGO]\nLogofile1=c.bmp\nLogofile2=d.bmp\n");
    LogoListEditor other = Editor();
    other.LoadFromProfile(failing);
    other.RemoveNumber(2);
    failing.SetFailWrites(true);
    EXPECT_FALSE(list.SaveToProfile(failing));
    EXPECT_EQ(list.savedKeyCount, 2);
}

TEST_F(ListFixture, FirstMissingKeyEndsTheProfile) {
    profile::MemoryProfile profile("[LOGO]\nLogofile2=c.bmp\nLogofile3=d.bmp\n");
    LogoListEditor editor = Editor();
    list.loadedFlag = true;
    editor.LoadFromProfile(profile);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_FALSE(list.loadedFlag);
    EXPECT_EQ(list.savedKeyCount, 0);
    EXPECT_EQ(list.countText, "  0 / 255");
    EXPECT_EQ(list.sizeText, "  0 / 384 KByte");
}

TEST_F(ListFixture, ResetReadsTheProfileAgainKeepingTheFlags) {
    profile::MemoryProfile profile("[LOGO]\nLogofile1=gone.bmp\nLogofile2=d.bmp\n");
    LogoListEditor startup = Editor();
    startup.LoadFromProfile(profile);
    LogoListEditor page = Editor();
    page.AddPickedFiles({"c.bmp", "missing.bmp", "d.bmp"});  // stops at the refused one
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"  2", "  1"}));
    list.savedKeyCount = 7;
    notices.clear();
    page.ReloadFromProfile(profile);
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"  2"}));
    EXPECT_EQ(list.savedKeyCount, 7);
    EXPECT_TRUE(list.loadedFlag);
    EXPECT_EQ(page.refusals(), 1);  // counted afresh: the message shows again
    EXPECT_EQ(notices, (Notices{{base::kMsgLogFileBitmapIncorrect, LogoNoticeIcon::Exclamation}}));
    page.AddPickedFiles({});
    EXPECT_EQ(page.currentPath(), "");
}

TEST_F(ListFixture, NumbersStayUniqueWhenFreedAndRefusedNumbersMeet) {
    profile::MemoryProfile profile("[LOGO]\nLogofile1=c.bmp\nLogofile2=gone.bmp\nLogofile3=d.bmp\n");
    LogoListEditor editor = Editor();
    editor.LoadFromProfile(profile);
    editor.RemoveNumber(1);
    editor.AddPickedFiles({"c.bmp", "c.bmp", "c.bmp"});
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"  3", "  1", "  2", "  4"}));
}

TEST_F(ListFixture, GrayPrintingSwitchRescalesSizes) {
    files["k1.bmp"] = Info(40, 200);  // 1000 bytes
    files["k2.bmp"] = Info(80, 200);  // 2000 bytes
    LogoListEditor editor = Editor();
    ASSERT_TRUE(editor.AddFile(0, "k1.bmp"));
    ASSERT_TRUE(editor.AddFile(0, "k2.bmp"));
    list.ApplyGrayPrinting(true, options);
    EXPECT_TRUE(options.grayPrinting);
    EXPECT_EQ(list.entries[0].size, "4000");
    EXPECT_EQ(list.entries[1].size, "8000");
    EXPECT_EQ(list.totalBytes, 12000);
    EXPECT_EQ(list.sizeText, " 11 / 384 KByte");
    list.ApplyGrayPrinting(true, options);  // box and flag agree: nothing changes
    EXPECT_EQ(list.totalBytes, 12000);
    // Adding and removing keep working on the gray sizes.
    ASSERT_TRUE(editor.AddFile(0, "k1.bmp"));
    EXPECT_EQ(list.totalBytes, 16000);
    editor.RemoveNumber(1);
    EXPECT_EQ(list.totalBytes, 12000);
    list.ApplyGrayPrinting(false, options);
    EXPECT_EQ(list.entries[0].size, "2000");
    EXPECT_EQ(list.entries[1].size, "1000");
    EXPECT_EQ(list.totalBytes, 3000);
    EXPECT_EQ(list.sizeText, "  2 / 384 KByte");  // rounded down here
}

TEST_F(ListFixture, UploadOrderFollowsNumbersStably) {
    LogoListEditor editor = Editor();
    for (const char* f : {"c.bmp", "d.bmp", "c.bmp"}) ASSERT_TRUE(editor.AddFile(0, f));
    list.entries[0].number = "  7";
    list.entries[1].number = "  3";
    list.entries[2].number = "  3";
    EXPECT_EQ(list.UploadOrder(), (std::vector<size_t>{1, 2, 0}));
}

}  // namespace
}  // namespace korva::logo

// Files from disk into the reader and the list, messages through the seam.
#include <gtest/gtest.h>

#include <fstream>

#include "base/MessageBox.h"
#include "logo/BmpWriter.h"
#include "logo/LogoFile.h"
#include "logo/LogoListServices.h"
#include "support/TestDir.h"

namespace korva::logo {
namespace {

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

TEST(LogoFile, LoadsFromDiskAndRefusesWhatCannotBeRead) {
    korva::test::TestDir dir;
    WriteFile(dir / "ok.bmp", test::Rgb24Bmp(9, 4, [](int, int) { return test::Gray(0); }));
    CLogoBitmap bitmap;
    BitmapError error;
    ASSERT_TRUE(LoadLogoFile(bitmap, (dir / "ok.bmp").string(), error)) << error.reason;
    EXPECT_EQ(bitmap.width(), 9);
    EXPECT_EQ(bitmap.paddedHeight(), 8);

    EXPECT_FALSE(LoadLogoFile(bitmap, (dir / "none.bmp").string(), error));
    EXPECT_EQ(error.kind, BitmapErrorKind::FileUnreadable);
    EXPECT_NE(error.reason.find("none.bmp"), std::string::npos);
    EXPECT_FALSE(bitmap.IsLoaded());                                 // the previous image is gone
    EXPECT_FALSE(LoadLogoFile(bitmap, dir.path().string(), error));  // a directory

    WriteFile(dir / "text.bmp", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(LoadLogoFile(bitmap, (dir / "text.bmp").string(), error));
    EXPECT_EQ(error.kind, BitmapErrorKind::Truncated);
}

TEST(LogoFile, ListEditorReadsFilesAndShowsMessages) {
    korva::test::TestDir dir;
    WriteFile(dir / "ok.bmp", test::Rgb24Bmp(200, 100, [](int, int) { return test::Gray(0); }));
    std::vector<std::pair<std::string, base::MsgStyle>> shown;
    auto previous = base::SetMessageHandler(
        [&](const std::string& text, const std::string&, base::MsgStyle style) {
            shown.push_back({text, style});
            return base::MsgAnswer::Ok;
        });
    LogoList list;
    LogoOptions options;
    LogoListEditor editor = MakeLogoListEditor(list, options);
    EXPECT_EQ(editor.AddPickedFiles({(dir / "ok.bmp").string(), (dir / "gone.bmp").string()}), 1);
    base::SetMessageHandler(previous);
    EXPECT_EQ(list.entries.at(0).size, "           2600");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, "Bitmap files that was defined with Log file is incorrect.");
    EXPECT_EQ(shown[0].second, base::MsgStyle::OkExclamation);
}

}  // namespace
}  // namespace korva::logo

// Bitmaps and pictures written by an outside encoder (PIL) and by a hand encoder for the
// kinds PIL cannot write, in every depth, header kind and compression: each
// must give the same gray values and dots as the 24-bit file of its picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "logo/LogoBitmap.h"
#include "logo/LogoFile.h"
#include "support/TestDir.h"

namespace korva::logo {
namespace {

std::string Python() {
    // Debian's interpreter carries Debian's PIL; a PATH python may not.
    return std::ifstream("/usr/bin/python3").good() ? "/usr/bin/python3" : "python3";
}

struct Converted {
    std::vector<std::vector<int>> gray;
    std::vector<uint8_t> mono128, mono190, gray100;
};

Converted Convert(const std::string& path) {
    CLogoBitmap bitmap;
    BitmapError error;
    Converted out;
    EXPECT_TRUE(LoadLogoFile(bitmap, path, error)) << path << ": " << error.reason;
    for (int y = 0; y < bitmap.height(); ++y) {
        out.gray.emplace_back();
        for (int x = 0; x < bitmap.width(); ++x) out.gray.back().push_back(bitmap.GrayAt(x, y));
    }
    LogoOptions options;
    bitmap.ConvertMono(options, false);
    out.mono128.assign(bitmap.raster().begin(), bitmap.raster().end());
    options.threshold = 190;
    bitmap.ConvertMono(options, false);
    out.mono190.assign(bitmap.raster().begin(), bitmap.raster().end());
    options.threshold = 100;
    bitmap.ConvertGray(options);
    out.gray100.assign(bitmap.raster().begin(), bitmap.raster().end());
    return out;
}

TEST(BitmapKinds, EveryKindGivesTheDotsOfItsReference) {
    test::TestDir dir;
    const std::string script = std::string(KORVA_TEST_DATA_DIR) + "/logo/make_bitmaps.py";
    const std::string command = Python() + " " + script + " " + dir.path().string();
    ASSERT_EQ(std::system(command.c_str()), 0) << "needs python3 with PIL (Debian python3-pil)";

    std::ifstream manifest(dir / "manifest.txt");
    std::string line;
    int compared = 0;
    while (std::getline(manifest, line)) {
        std::istringstream words(line);
        std::string name, reference;
        words >> name >> reference;
        SCOPED_TRACE(name + " against " + reference);
        const Converted file = Convert((dir / name).string());
        const Converted ref = Convert((dir / reference).string());
        ASSERT_EQ(file.gray.size(), 21u);
        EXPECT_EQ(file.gray, ref.gray);
        EXPECT_EQ(file.mono128, ref.mono128);
        EXPECT_EQ(file.mono190, ref.mono190);
        EXPECT_EQ(file.gray100, ref.gray100);
        ++compared;
    }
    EXPECT_EQ(compared, 35);
}

}  // namespace
}  // namespace korva::logo

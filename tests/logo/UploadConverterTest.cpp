// The upload over real bitmap files: file -> raster -> the example stream.
#include "logo/UploadConverter.h"

#include <fstream>

#include "BmpWriter.h"
#include "UploadFixture.h"

using namespace korva;
using korva::test::HexBytes;
using port::PortKind;

class UploadConverterTest : public test::UploadTest {
protected:
    /// A 100 x 30 all-black 24-bit file.
    std::string BlackFile(const std::string& name) {
        const auto bytes = logo::test::Rgb24Bmp(100, 30, [](int, int) { return logo::test::Rgb{}; });
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        return path;
    }
    std::vector<uint8_t> Upload(logo::LogoOptions options, bool center) {
        entries = {{1, "black.bmp", BlackFile("black.bmp"), 416, center}};
        stream = std::make_unique<test::RecordingStream>(PortKind::OutputFile, clock);
        messages.reset();
        messages = std::make_unique<test::RecordedMessages>();
        logo::NvUploadSettings settings;
        settings.askConfirmation = false;
        settings.grayPrinting = options.grayPrinting;
        logo::NvUpload upload(*stream, clock, log, entries, logo::MakeBitmapConverter(options),
                              settings);
        Run(upload);
        EXPECT_EQ(upload.GetOutcome(), logo::NvUpload::Outcome::Completed);
        return stream->Stream();
    }
};

TEST_F(UploadConverterTest, A100By30BlackImageIs104By32DotsWithBlankPadding) {
    std::vector<uint8_t> expected = HexBytes("1C 71 01 0D 00 04 00");
    for (int x = 0; x < 104; ++x) {
        const bool inside = x < 100;
        // Bands of 8 rows, top to bottom; rows 30 and 31 are padding.
        for (uint8_t band : {0xFF, 0xFF, 0xFF, 0xFC}) expected.push_back(inside ? band : 0x00);
    }
    EXPECT_EQ(Upload({}, false), expected);
}

TEST_F(UploadConverterTest, CentringWidensTheHeaderAndBlanksTheLeftColumns) {
    const auto stream = Upload({}, true);
    // (512 - 104) / 2 = 204, rounded up to 208 columns: 312 dots = 39 bytes wide.
    ASSERT_EQ(stream.size(), 7u + 312 * 4);
    EXPECT_EQ(std::vector<uint8_t>(stream.begin(), stream.begin() + 7),
              HexBytes("1C 71 01 27 00 04 00"));
    for (size_t i = 7; i < 7 + 208 * 4; ++i) ASSERT_EQ(stream[i], 0) << i;
    EXPECT_EQ(stream[7 + 208 * 4], 0xFF);
}

TEST_F(UploadConverterTest, GrayImagesCarryTheMarkAndFourBitsPerPixel) {
    logo::LogoOptions options;
    options.grayPrinting = true;
    const auto stream = Upload(options, true);  // gray is never centred
    ASSERT_EQ(stream.size(), 7u + 1664);
    EXPECT_EQ(std::vector<uint8_t>(stream.begin(), stream.begin() + 7),
              HexBytes("1C 71 01 0D A0 04 00"));
    EXPECT_EQ(stream[7], 0x55);  // two black pixels: darkness 5 in each nibble
}

TEST_F(UploadConverterTest, AFileDeletedAfterListingIsNamed) {
    const std::string path = BlackFile("gone.bmp");
    std::filesystem::remove(path);
    entries = {{1, "gone.bmp", path, 416, false}};
    stream = std::make_unique<test::RecordingStream>(PortKind::Serial, clock);
    messages.reset();
    messages = std::make_unique<test::RecordedMessages>();
    logo::NvUploadSettings settings;
    settings.askConfirmation = false;
    logo::NvUpload upload(*stream, clock, log, entries, logo::MakeBitmapConverter({}), settings);
    Run(upload);
    EXPECT_EQ(upload.GetOutcome(), logo::NvUpload::Outcome::FileUnreadable);
    EXPECT_EQ(messages->Texts(), std::vector<std::string>{"File open error!!\r\n(" + path + ")"});
    EXPECT_TRUE(stream->Events().empty());
}

TEST(UploadEntries, TakeNumberSizeAndCentringFromTheList) {
    logo::LogoList list;
    list.entries = {{"  7", "seven.bmp", "            416", "/a/seven.bmp", true},
                    {"  3", "three.bmp", "2600", "/a/three.bmp", false}};
    const auto entries = logo::UploadEntriesFrom(list);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].number, 7);
    EXPECT_EQ(entries[0].size, 416);
    EXPECT_TRUE(entries[0].center);
    EXPECT_EQ(entries[0].path, "/a/seven.bmp");
    EXPECT_EQ(entries[1].number, 3);
    EXPECT_EQ(entries[1].size, 2600);  // a gray switch rewrites sizes as "%d"
    EXPECT_FALSE(entries[1].center);
    EXPECT_EQ(entries[1].name, "three.bmp");
}

#include "firmware/NewImage.h"

#include <gtest/gtest.h>

#include "firmware/FirmwareImages.h"
#include "support/RecordingStream.h"

using namespace korva::firmware;
using korva::test::HexBytes;
using korva::test::NewSeriesImage;

namespace {

/// The packet as the loader expects it, put together from the image by hand.
std::vector<uint8_t> ExpectedPacket(const std::string& header, const std::vector<uint8_t>& image,
                                    const std::vector<std::pair<size_t, size_t>>& ranges,
                                    uint16_t* checksum = nullptr) {
    std::vector<uint8_t> packet = HexBytes(header);
    unsigned sum = 0;
    for (auto [from, to] : ranges) {
        for (size_t i = from; i < to; ++i) {
            packet.push_back(image[i]);
            sum += image[i];
        }
    }
    packet.push_back(static_cast<uint8_t>(sum & 0xFF));
    packet.push_back(static_cast<uint8_t>((sum >> 8) & 0xFF));
    if (checksum) *checksum = static_cast<uint16_t>(sum);
    return packet;
}

}  // namespace

TEST(NewImage, K20ProgramPacketOnDeviceType1) {
    const auto image = NewSeriesImage("K20");
    const NewPacketResult result = BuildNewDownloadPacket(image, 1, NewArea::Program);
    ASSERT_TRUE(result.ok());
    uint16_t sum = 0;
    const auto expected =
        ExpectedPacket("01 11 51 04 00 00 06 00", image, {{0x10000, 0x6FFF6}}, &sum);
    ASSERT_EQ(result.packet.bytes.size(), 0x60000u);
    EXPECT_EQ(result.packet.bytes, expected);
    EXPECT_EQ(result.packet.checksum, sum);
    EXPECT_EQ(result.packet.signature, NewSignature::K20);
}

TEST(NewImage, SignaturesPickLengthsAndAreaCodes) {
    const auto k22 = NewSeriesImage("K22");
    const auto p22 = BuildNewDownloadPacket(k22, 3, NewArea::Program);
    ASSERT_TRUE(p22.ok());
    EXPECT_EQ(p22.packet.bytes,
              ExpectedPacket("01 11 51 04 00 00 05 00", k22, {{0x10000, 0x5FFF6}}));

    const auto k23 = NewSeriesImage("K23");
    const auto p23 = BuildNewDownloadPacket(k23, 3, NewArea::Program);
    ASSERT_TRUE(p23.ok());
    EXPECT_EQ(p23.packet.bytes,
              ExpectedPacket("01 11 61 05 00 00 06 00", k23, {{0x10000, 0x6FFF6}}));

    // Downloader of K23: 0x10000 bytes from 0x60000, after the confirmation.
    const auto d23 = BuildNewDownloadPacket(k23, 3, NewArea::Downloader);
    ASSERT_TRUE(d23.ok());
    EXPECT_EQ(d23.packet.bytes,
              ExpectedPacket("01 11 44 04 00 00 01 00", k23, {{0x60000, 0x6FFF6}}));

    const auto k20 = NewSeriesImage("K20");
    const auto boot = BuildNewDownloadPacket(k20, 1, NewArea::Boot);
    ASSERT_TRUE(boot.ok());
    EXPECT_EQ(boot.packet.bytes, ExpectedPacket("01 11 42 04 00 40 00 00", k20, {{0, 0x3FF6}}));
    const auto d20 = BuildNewDownloadPacket(k20, 1, NewArea::Downloader);
    ASSERT_TRUE(d20.ok());
    EXPECT_EQ(d20.packet.bytes,
              ExpectedPacket("01 11 44 04 00 00 03 00", k20, {{0x60000, 0x8FFF6}}));
}

TEST(NewImage, K24ProgramTakesTheBlockAt0x70000WithoutChangingTheImage) {
    const auto image = NewSeriesImage("K24");
    const auto before = image;
    const auto result = BuildNewDownloadPacket(image, 3, NewArea::Program);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.packet.bytes, ExpectedPacket("01 11 61 05 00 00 06 00", image,
                                                  {{0x10000, 0x60000}, {0x70000, 0x7FFF6}}));
    // Packet offset 0x50008 holds image byte 0x70000, not 0x60000.
    EXPECT_EQ(result.packet.bytes[0x50008], image[0x70000]);
    EXPECT_NE(image[0x70000], image[0x60000]);
    EXPECT_EQ(image, before);

    const auto d24 = BuildNewDownloadPacket(image, 3, NewArea::Downloader);
    ASSERT_TRUE(d24.ok());
    EXPECT_EQ(d24.packet.bytes,
              ExpectedPacket("01 11 44 04 00 00 01 00", image, {{0x60000, 0x6FFF6}}));
}

TEST(NewImage, ChecksumOfAllFFData) {
    auto image = NewSeriesImage("K20");
    std::fill(image.begin() + 0x10000, image.begin() + 0x70000, 0xFF);
    const auto result = BuildNewDownloadPacket(image, 1, NewArea::Program);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.packet.checksum, 0xF60A);
    EXPECT_EQ(result.packet.bytes[0x5FFFE], 0x0A);
    EXPECT_EQ(result.packet.bytes[0x5FFFF], 0xF6);
}

TEST(NewImage, RefusalsBySizeSignatureAndExtFont) {
    EXPECT_EQ(BuildNewDownloadPacket(NewSeriesImage("K20", 0x100000 - 1), 1, NewArea::Program).error,
              NewImageError::SizeWrong);
    auto longer = NewSeriesImage("K20");
    longer.push_back(0);
    EXPECT_EQ(BuildNewDownloadPacket(longer, 1, NewArea::Program).error, NewImageError::SizeWrong);
    EXPECT_EQ(BuildNewDownloadPacket({}, 1, NewArea::Boot).error, NewImageError::SizeWrong);

    EXPECT_EQ(BuildNewDownloadPacket(NewSeriesImage("K20"), 3, NewArea::Program).error,
              NewImageError::NotFirmware);
    EXPECT_EQ(BuildNewDownloadPacket(NewSeriesImage("K22"), 1, NewArea::Program).error,
              NewImageError::NotFirmware);
    EXPECT_EQ(BuildNewDownloadPacket(NewSeriesImage("K21"), 3, NewArea::Program).error,
              NewImageError::NotFirmware);
    EXPECT_EQ(BuildNewDownloadPacket(NewSeriesImage("K20"), 2, NewArea::Program).error,
              NewImageError::NotFirmware);

    // The extended font needs a 2 MiB image without the '1' marker.
    EXPECT_EQ(BuildNewDownloadPacket(NewSeriesImage("K20"), 1, NewArea::ExtFont).error,
              NewImageError::NoExtFont);
    EXPECT_EQ(BuildNewDownloadPacket(NewSeriesImage("K22", 0x200000, '1'), 3, NewArea::ExtFont).error,
              NewImageError::NoExtFont);
    const auto font = NewSeriesImage("K22", 0x200000, '0');
    const auto result = BuildNewDownloadPacket(font, 3, NewArea::ExtFont);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.packet.bytes,
              ExpectedPacket("01 11 46 04 00 00 10 00", font, {{0x100000, 0x1FFFF6}}));
}

TEST(NewImage, SignatureRules) {
    EXPECT_EQ(ReadNewSignature(NewSeriesImage("K23")), NewSignature::K23);
    EXPECT_EQ(ReadNewSignature(std::vector<uint8_t>(0x1000)), NewSignature::None);
    EXPECT_TRUE(SignatureFitsDeviceType(NewSignature::K20, 1));
    EXPECT_FALSE(SignatureFitsDeviceType(NewSignature::K24, 1));
    EXPECT_TRUE(SignatureFitsDeviceType(NewSignature::K24, 3));
    EXPECT_FALSE(SignatureFitsDeviceType(NewSignature::None, 3));
    EXPECT_STREQ(NewSignatureText(NewSignature::K22), "K22");
}

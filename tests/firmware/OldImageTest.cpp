#include "firmware/OldImage.h"

#include <gtest/gtest.h>

#include "firmware/FirmwareImages.h"
#include "support/RecordingStream.h"

using namespace korva::firmware;
using korva::test::HexBytes;
using korva::test::PatternImage;

TEST(OldImage, ErasePacketsOfEveryArea) {
    EXPECT_EQ(EncodeOldErasePacket(OldArea::Program), HexBytes("40 F2 20 22 00 00 00 00 00 00"));
    EXPECT_EQ(EncodeOldErasePacket(OldArea::ExtFont), HexBytes("40 F2 0B 1B 00 00 00 00 00 00"));
    EXPECT_EQ(EncodeOldErasePacket(OldArea::Boot), HexBytes("40 F2 22 23 00 00 00 00 00 00"));
    EXPECT_EQ(EncodeOldErasePacket(OldArea::Font), HexBytes("40 F2 1C 1E 00 00 00 00 00 00"));
    EXPECT_EQ(OldAreaOf(OldArea::Boot).eraseWaitMs, 400);
    EXPECT_EQ(OldAreaOf(OldArea::ExtFont).eraseWaitMs, 1500);
}

TEST(OldImage, ProgramAreaIs256BlocksFirstAndLastAsExpected) {
    const auto image = PatternImage(0x200000);
    const OldAreaInfo& area = OldAreaOf(OldArea::Program);
    std::vector<std::vector<uint8_t>> packets;
    for (uint32_t at = area.start; at < area.end;) {
        const OldBlock block = NextOldBlock(at, area.end);
        packets.push_back(EncodeOldDataPacket(std::span(image).subspan(at, block.size), at, block.last));
        at += block.size;
    }
    ASSERT_EQ(packets.size(), 256u);
    std::vector<uint8_t> first = HexBytes("40 F0 02 00 00 1D 00 00");
    unsigned sum = 0;
    for (uint32_t i = 0; i < 512; ++i) {
        first.push_back(image[0x1D0000 + i]);
        sum += image[0x1D0000 + i];
    }
    first.push_back(static_cast<uint8_t>(sum >> 8 & 0xFF));
    first.push_back(static_cast<uint8_t>(sum & 0xFF));
    EXPECT_EQ(packets.front(), first);
    EXPECT_EQ(std::vector<uint8_t>(packets.back().begin(), packets.back().begin() + 8),
              HexBytes("40 F1 02 00 00 1E FE 00"));
    for (size_t i = 0; i + 1 < packets.size(); ++i) ASSERT_EQ(packets[i][1], 0xF0) << i;
}

TEST(OldImage, BlocksShrinkAtTheEndAndTheChecksumIsBigEndian) {
    EXPECT_EQ(NextOldBlock(0, 1300).size, 512u);
    EXPECT_FALSE(NextOldBlock(0, 1300).last);
    EXPECT_EQ(NextOldBlock(1024, 1300).size, 276u);
    EXPECT_TRUE(NextOldBlock(1024, 1300).last);
    EXPECT_TRUE(NextOldBlock(788, 1300).last);  // exactly 512 left: the last block
    EXPECT_EQ(NextOldBlock(1300, 1300).size, 0u);

    const std::vector<uint8_t> ff(512, 0xFF);
    const auto packet = EncodeOldDataPacket(ff, 0x1F0000, false);
    ASSERT_EQ(packet.size(), 522u);
    EXPECT_EQ(packet[520], 0xFE);
    EXPECT_EQ(packet[521], 0x00);
    EXPECT_EQ(EncodeOldDataPacket(std::vector<uint8_t>{1, 2, 0xFF}, 0x12345678, true),
              HexBytes("40 F1 00 03 12 34 56 78 01 02 FF 01 02"));
    EXPECT_TRUE(EncodeOldDataPacket({}, 0, true).empty());
    EXPECT_TRUE(EncodeOldDataPacket(std::vector<uint8_t>(513), 0, true).empty());
}

TEST(OldImage, ImageChecks) {
    auto image = PatternImage(0x200000);
    EXPECT_EQ(CheckOldImage(image, OldArea::Boot), OldImageError::None);
    EXPECT_EQ(CheckOldImage(std::span(image).first(0x1FFFFF), OldArea::Boot), OldImageError::TooShort);
    EXPECT_EQ(CheckOldImage(std::span(image).first(0x1B0000), OldArea::Font), OldImageError::None);
    EXPECT_EQ(CheckOldImage({}, OldArea::Program), OldImageError::TooShort);
    EXPECT_EQ(CheckOldImage(image, OldArea::ExtFont), OldImageError::None);
    image[0x80000] = 'K';
    image[0x80001] = '1';
    image[0x80002] = '5';
    image[0x80003] = 'S';
    EXPECT_EQ(CheckOldImage(image, OldArea::ExtFont), OldImageError::NoExtFont);
    EXPECT_EQ(CheckOldImage(image, OldArea::Program), OldImageError::None);
}

TEST(OldImage, AnswersCountOnlyDirectlyAfterDle) {
    OldAnswerParser parser;
    std::vector<OldAnswer> answers;
    // noise, DLE ACK, DLE x (ignored), 06 alone (ignored), DLE NAK, DLE DLE ACK
    for (uint8_t b : HexBytes("06 15 41 10 06 10 41 06 10 15 10 10 06")) {
        if (auto a = parser.Feed(b)) answers.push_back(*a);
    }
    EXPECT_EQ(answers, (std::vector<OldAnswer>{OldAnswer::Ack, OldAnswer::Nak}));
}

#include "logo/NvDefinition.h"

#include <gtest/gtest.h>

#include "support/RecordingStream.h"

using namespace korva::logo;
using korva::test::HexBytes;

namespace {
std::vector<uint8_t> Vec(const std::array<uint8_t, 4>& a) { return {a.begin(), a.end()}; }
}  // namespace

TEST(NvDefinition, DefineCommandWithAndWithoutStarPrefix) {
    EXPECT_EQ(EncodeNvDefineCommand(2, false), HexBytes("1C 71 02"));
    EXPECT_EQ(EncodeNvDefineCommand(255, false), HexBytes("1C 71 FF"));
    EXPECT_EQ(EncodeNvDefineCommand(1, true), HexBytes("1B 1C 71 01"));
}

TEST(NvDefinition, HeadersOfTheExampleImages) {
    // 100 x 30 pixels pad to 104 x 32 dots: 13 bytes wide, 4 bands high.
    EXPECT_EQ(Vec(EncodeNvImageHeader(104, 32, false)), HexBytes("0D 00 04 00"));
    EXPECT_EQ(Vec(EncodeNvImageHeader(512, 8, false)), HexBytes("40 00 01 00"));
    // Gray images carry A0 in the high width byte.
    EXPECT_EQ(Vec(EncodeNvImageHeader(104, 32, true)), HexBytes("0D A0 04 00"));
    // Widths and heights past 255 bytes use the high bytes.
    EXPECT_EQ(Vec(EncodeNvImageHeader(2056, 2048 + 16, false)), HexBytes("01 01 02 01"));
    EXPECT_EQ(Vec(EncodeNvImageHeader(2056, 8, true)), HexBytes("01 A1 01 00"));
}

TEST(NvDefinition, FixedCommands) {
    EXPECT_EQ(EncodeNvEraseAll(), HexBytes("1C 71 01 00 00 00 00"));
    EXPECT_EQ(Vec(EncodeEmptyImageHeader()), HexBytes("00 00 00 00"));
    EXPECT_EQ(EncodePrinterIdRequest(), HexBytes("1D 49 01"));
    EXPECT_EQ(EncodeInitialize(), HexBytes("1B 40"));
}

TEST(NvDefinition, ChunkSizesEndWithTheRemainderEvenWhenEmpty) {
    EXPECT_EQ(NvChunkSizes(1024), (std::vector<size_t>{512, 512, 0}));
    EXPECT_EQ(NvChunkSizes(416), (std::vector<size_t>{416}));
    EXPECT_EQ(NvChunkSizes(1248), (std::vector<size_t>{512, 512, 224}));
    EXPECT_EQ(NvChunkSizes(0), (std::vector<size_t>{0}));
}

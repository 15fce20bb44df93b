#include "port/UsbReply.h"

#include <gtest/gtest.h>

#include <vector>

using korva::port::UsbReplyDecoder;
using Bytes = std::vector<uint8_t>;

namespace {
Bytes Decode(UsbReplyDecoder& decoder, const Bytes& in) {
    Bytes out(in.size());
    out.resize(decoder.Decode(in, out));
    return out;
}
}  // namespace

TEST(UsbReply, EscapesDecodeToOneByteEach) {
    UsbReplyDecoder decoder;
    EXPECT_EQ(Decode(decoder, {0x1B, 0x30, 0x1B, 0x1B, 0x41}), (Bytes{0x00, 0x1B, 0x41}));
    EXPECT_EQ(Decode(decoder, {0x1B, 0x42, 0x30, 0x00}), (Bytes{0x42, 0x30, 0x00}));
    EXPECT_FALSE(decoder.EscPending());
}

TEST(UsbReply, EscEndingABlockPairsWithTheNextBlock) {
    UsbReplyDecoder decoder;
    EXPECT_EQ(Decode(decoder, {0x41, 0x1B}), (Bytes{0x41}));
    EXPECT_TRUE(decoder.EscPending());
    EXPECT_EQ(Decode(decoder, {0x30, 0x43}), (Bytes{0x00, 0x43}));
    EXPECT_EQ(Decode(decoder, {0x1B}), Bytes{});
    EXPECT_EQ(Decode(decoder, {0x1B, 0x1B}), (Bytes{0x1B}));
    EXPECT_TRUE(decoder.EscPending());
    decoder.Reset();
    EXPECT_EQ(Decode(decoder, {0x30}), (Bytes{0x30}));
}

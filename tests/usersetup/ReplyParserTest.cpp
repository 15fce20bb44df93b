#include <gtest/gtest.h>

#include "support/RecordingStream.h"
#include "usersetup/ReplyDecoder.h"
#include "usersetup/ReplyParser.h"

namespace korva::usersetup {
namespace {

using test::HexBytes;

SetupLists Lists() {
    SetupLists lists;
    lists.receiveBuffers = {"64", "32", "20", "4"};
    lists.codePages = {"0|PC437", "16|PC1252", "16|WPC1252", "254|SPACE PAGE"};
    return lists;
}

std::vector<SettingReply> Parse(const char* hex) { return ParseReplies(HexBytes(hex)).replies; }

/// Decodes one reply frame (as the printer sends it) into `s`.
DecodeStatus Decode(UserSettings& s, int number, const std::string& data) {
    std::vector<uint8_t> frame{0x37, 0x27};
    for (char c : std::to_string(number)) frame.push_back(static_cast<uint8_t>(c));
    frame.push_back(0x1F);
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(0x00);
    const auto parsed = ParseReplies(frame);
    EXPECT_EQ(parsed.replies.size(), 1u);
    return parsed.replies.empty() ? DecodeStatus::UnknownSetting
                                  : DecodeReply(parsed.replies[0], s, Lists());
}

TEST(ReplyParser, FramesAndNoise) {
    EXPECT_EQ(Parse("37 27 32 35 33 1f 31 00"), (std::vector<SettingReply>{{253, "1"}}));
    // Bytes before the header and between header and identifier are skipped.
    EXPECT_EQ(Parse("41 37 42 27 33 1f 36 00"), (std::vector<SettingReply>{{3, "6"}}));
    // Two replies back to back, one cut short at the end.
    EXPECT_EQ(Parse("37 27 31 1f 37 00 37 27 32 1f 35 00 37 27 33 1f"),
              (std::vector<SettingReply>{{1, "7"}, {2, "5"}}));
    // More than three digits: the first three make the number.
    EXPECT_EQ(Parse("37 27 32 35 33 39 39 1f 30 00"), (std::vector<SettingReply>{{253, "0"}}));
    // The number is one byte: 999 wraps.
    EXPECT_EQ(Parse("37 27 39 39 39 1f 00"),
              (std::vector<SettingReply>{{static_cast<uint8_t>(999 % 256), ""}}));
}

TEST(ReplyParser, FeedsOneByteAtATimeAndDropsOverlongValues) {
    ReplyParser parser;
    std::vector<uint8_t> bytes = HexBytes("37 27 32 35 30 1f");
    bytes.insert(bytes.end(), 100, '9');
    bytes.push_back(0x00);
    for (uint8_t b : HexBytes("37 27 32 35 30 1f 31 32 00")) bytes.push_back(b);
    std::vector<SettingReply> replies;
    for (uint8_t b : bytes)
        if (auto r = parser.Feed(b)) replies.push_back(*r);
    EXPECT_EQ(replies, (std::vector<SettingReply>{{250, "12"}}));
    EXPECT_EQ(parser.Overlong(), 1);

    std::vector<uint8_t> longest = HexBytes("37 27 32 35 30 1f");
    longest.insert(longest.end(), 99, '0');
    longest.push_back(0x00);
    EXPECT_EQ(ParseReplies(longest).replies.size(), 1u);
}

TEST(ReplyDecoder, StopBitsAndMemorySizes) {
    UserSettings s;
    EXPECT_EQ(Decode(s, 253, "1"), DecodeStatus::Applied);
    EXPECT_EQ(s.stopBits, kStopTwo);
    Decode(s, 253, "0");
    EXPECT_EQ(s.stopBits, kStopOne);
    EXPECT_EQ(Decode(s, 1, "7"), DecodeStatus::UnlistedValue);
    EXPECT_EQ(s.nvUser, kEmpty);  // unknown, not the 64 KByte a stand-in would write back
    EXPECT_EQ(s.unknown.at(1), "7");
    Decode(s, 1, "5");
    EXPECT_EQ(s.nvUser, 4);  // 320
    Decode(s, 2, "1");
    EXPECT_EQ(s.nvGraphic, 0);  // 0 KByte
    Decode(s, 2, "7");
    EXPECT_EQ(s.nvGraphic, 6);  // 384
}

TEST(ReplyDecoder, PaperWidthTypeAndDensity) {
    UserSettings s;
    Decode(s, 3, "3");
    EXPECT_EQ(s.paperWidth, kWidth58mm);
    EXPECT_EQ(s.column, kColumn32);
    EXPECT_TRUE(DependentControlsFor(s).columnList);
    Decode(s, 3, "6");
    EXPECT_EQ(s.paperWidth, kWidth80mm);
    EXPECT_EQ(s.column, kEmpty);
    EXPECT_FALSE(DependentControlsFor(s).columnList);
    EXPECT_EQ(Decode(s, 3, "9"), DecodeStatus::UnlistedValue);
    EXPECT_EQ(s.paperWidth, kEmpty);  // the printer's width is no longer known

    EXPECT_EQ(Decode(s, 116, "257"), DecodeStatus::Applied);
    EXPECT_EQ(s.paperType, kTwoColor);
    EXPECT_TRUE(DependentControlsFor(s).densityList);
    EXPECT_EQ(Decode(s, 116, "2"), DecodeStatus::UnlistedValue);
    EXPECT_EQ(s.paperType, kEmpty);
    Decode(s, 116, "1");
    EXPECT_FALSE(DependentControlsFor(s).densityList);

    Decode(s, 118, "70");
    EXPECT_EQ(s.density, kLight);
    Decode(s, 118, "100");
    EXPECT_EQ(s.density, kDark);
    Decode(s, 118, "");
    EXPECT_EQ(s.density, kEmpty);
    EXPECT_EQ(s.unknown.count(kDensity), 1u);
}

TEST(ReplyDecoder, SwitchesWithNumbers) {
    UserSettings s;
    Decode(s, 242, "1112");  // Enable, image 112
    EXPECT_EQ(s.waterMark, kOn);
    EXPECT_EQ(s.imageNumber, 112);
    EXPECT_EQ(Decode(s, 242, "1999"), DecodeStatus::OutOfRange);
    EXPECT_EQ(s.waterMark, kEmpty);
    Decode(s, 242, "0");
    EXPECT_EQ(s.waterMark, kOff);
    Decode(s, 243, "10");
    EXPECT_EQ(s.cutAdjust, kOn);
    EXPECT_EQ(s.cutLines, 0);
    EXPECT_EQ(Decode(s, 243, "x"), DecodeStatus::UnlistedValue);
    Decode(s, 244, "1");
    EXPECT_EQ(s.drawerWithCut, kOn);
    Decode(s, 247, "1");
    EXPECT_EQ(s.cutMode, kFullCut);
    Decode(s, 248, "1");
    EXPECT_EQ(s.reserved, kReservedOff);
    EXPECT_EQ(Decode(s, 251, "7"), DecodeStatus::UnlistedValue);
    EXPECT_EQ(s.selfTestDrawer, kEmpty);
    Decode(s, 251, "0");
    EXPECT_EQ(s.selfTestDrawer, kSelfTestEnable);
    Decode(s, 251, "1");
    EXPECT_EQ(s.selfTestDrawer, kSelfTestDisable);
}

TEST(ReplyDecoder, ListsBellSpeedMarginAndCode) {
    UserSettings s;
    Decode(s, 245, "24");
    EXPECT_EQ(s.bellType, kMelody1);
    EXPECT_EQ(s.bellTimes, 3);
    Decode(s, 245, "01");
    EXPECT_EQ(s.bellType, kOtherBell);
    EXPECT_EQ(Decode(s, 245, "91"), DecodeStatus::OutOfRange);  // no bell type 9
    EXPECT_EQ(s.bellType, kEmpty);
    EXPECT_EQ(Decode(s, 245, "19"), DecodeStatus::OutOfRange);  // no ninth time in the list
    EXPECT_EQ(s.bellTimes, kEmpty);

    Decode(s, 246, "16");
    EXPECT_EQ(s.codePage, 1);  // the first entry carrying 16
    Decode(s, 246, "77");
    EXPECT_EQ(s.codePage, kEmpty);
    EXPECT_EQ(s.verbatim.at(kCodePage), 77);  // written back as it is

    Decode(s, 249, "180");
    EXPECT_EQ(s.speed, 2);
    Decode(s, 249, "999");
    EXPECT_EQ(s.speed, kEmpty);
    EXPECT_EQ(s.verbatim.at(kSpeed), 999);
    Decode(s, 249, "200");
    EXPECT_EQ(s.speed, 1);
    EXPECT_EQ(s.verbatim.count(kSpeed), 0u);  // a new answer replaces the last

    Decode(s, 250, "512");
    EXPECT_EQ(s.leftMargin, 512);
    EXPECT_EQ(Decode(s, 250, "513"), DecodeStatus::OutOfRange);
    EXPECT_EQ(Decode(s, 250, "9999999999999"), DecodeStatus::OutOfRange);
    EXPECT_EQ(s.leftMargin, kEmpty);

    Decode(s, 255, "255");
    EXPECT_EQ(s.setupCode, "FF");
    Decode(s, 255, "4294967295x");
    EXPECT_EQ(s.setupCode, "FFFFFFFF");
    EXPECT_EQ(Decode(s, 255, "4294967296"), DecodeStatus::OutOfRange);
    EXPECT_EQ(s.unknown.at(kSetupCode), "4294967296");
}

TEST(ReplyDecoder, ReceiveBufferAndUnknownSettings) {
    UserSettings s;
    Decode(s, 252, "4");
    EXPECT_EQ(s.receiveBuffer, 3);
    s.receiveBuffer = kEmpty;
    Decode(s, 252, "04");
    EXPECT_EQ(s.receiveBuffer, 3);
    Decode(s, 252, "32");
    EXPECT_EQ(s.receiveBuffer, 1);
    EXPECT_EQ(Decode(s, 252, "16"), DecodeStatus::UnlistedValue);
    EXPECT_EQ(s.receiveBuffer, kEmpty);
    EXPECT_EQ(Decode(s, 7, "1"), DecodeStatus::UnknownSetting);
    EXPECT_EQ(Decode(s, 254, "1"), DecodeStatus::UnknownSetting);

    SetupLists shortList = Lists();
    shortList.receiveBuffers = {"64"};
    EXPECT_EQ(DecodeReply({252, "04"}, s, shortList), DecodeStatus::OutOfRange);
    EXPECT_EQ(s.receiveBuffer, kEmpty);
}

}  // namespace
}  // namespace korva::usersetup

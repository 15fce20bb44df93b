#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/RecordingStream.h"
#include "usersetup/ReplyDecoder.h"
#include "usersetup/SetupCommands.h"

namespace korva::usersetup {
namespace {

using test::HexBytes;
using test::ToHex;

SetupLists DefaultLists() {
    SetupLists lists;
    lists.receiveBuffers = {"64", "32", "20", "4"};
    lists.codePages = {"0|PC437 (USA, Std Europe)", "1|Katakana", "16|WPC1252 (Windows CP)",
                       "254|SPACE PAGE"};
    return lists;
}

std::string SetValuesHex(UserSettings settings, const SetupLists& lists = DefaultLists()) {
    PrepareForWrite(settings);
    return ToHex(BuildSetValues(settings, lists));
}

TEST(SetupCommands, RequestAndSetupModeCommands) {
    const auto request = BuildRequest(0xFD);
    EXPECT_EQ(ToHex({request.begin(), request.end()}), ToHex(HexBytes("1d 28 45 02 00 06 fd")));
    EXPECT_EQ(ToHex({kEnterSetup.begin(), kEnterSetup.end()}),
              ToHex(HexBytes("1d 28 45 03 00 01 49 4e")));
    EXPECT_EQ(ToHex({kLeaveSetup.begin(), kLeaveSetup.end()}),
              ToHex(HexBytes("1d 28 45 04 00 02 4f 55 54")));
}

TEST(SetupCommands, EmptySettingsSendOnlyMarginAndCode) {
    EXPECT_EQ(SetValuesHex(UserSettings{}),
              ToHex(HexBytes("1d 28 45 0a 00 05 fa 00 00 ff 00 00 00 00 04")));
}

TEST(SetupCommands, EverySettingInPrinterOrder) {
    UserSettings s;
    s.paperWidth = kWidth58mm;
    s.column = kColumn32;
    s.paperType = kTwoColor;
    s.density = kDark;
    s.waterMark = kOn;
    s.imageNumber = 7;
    s.cutAdjust = kOn;
    s.cutLines = 200;
    s.drawerWithCut = kOn;
    s.bellType = kOtherBell;
    s.bellTimes = 4;
    s.codePage = 2;
    s.nvUser = 4;
    s.nvGraphic = 1;
    s.cutMode = kFullCut;
    s.speed = 3;
    s.reserved = kReservedOn;
    s.selfTestDrawer = kSelfTestDisable;
    s.stopBits = kStopTwo;
    s.receiveBuffer = 2;
    s.leftMargin = 512;
    s.setupCode = "12345678";
    const std::string hex = SetValuesHex(s);
    EXPECT_EQ(hex, ToHex(HexBytes("1d 28 45 3a 00 05"
                                  " 03 03 00  74 01 01  76 64 00  f2 00 07  f3 01 c8  f4 00 01"
                                  " f5 00 05  f6 10 00  01 05 00  02 02 00  f7 01 01  f9 96 00"
                                  " f8 00 01  fb 01 01  fd 01 01  fc 32 30  fa 00 02"
                                  " ff 78 56 34 12 04")));
    EXPECT_EQ(HexBytes(hex).size(), 63u);  // the longest command
}

TEST(SetupCommands, OppositeChoicesAndFilledInValues) {
    UserSettings s;
    s.paperWidth = kWidth58mm;  // no column chosen: sent as 80 mm
    s.paperType = kBlack;       // density empty: MEDIUM
    s.waterMark = kOff;
    s.cutAdjust = kOff;
    s.cutLines = 9;
    s.drawerWithCut = kOff;
    s.bellType = kMelody2;  // times empty: 3
    s.cutMode = kPartial;
    s.reserved = kReservedOff;
    s.selfTestDrawer = kSelfTestEnable;
    s.stopBits = kStopOne;
    s.receiveBuffer = 3;
    s.setupCode = "ff";
    EXPECT_EQ(SetValuesHex(s),
              ToHex(HexBytes("1d 28 45 2e 00 05 03 06 00 74 01 00 76 55 00 f2 00 00 f3 00 00"
                             " f4 00 00 f5 03 03 f7 00 01 f8 01 01 fb 00 01 fd 00 01 fc 30 34"
                             " fa 00 00 ff ff 00 00 00 04")));
}

TEST(SetupCommands, AnswersGoBackAsAnsweredNeverAsStandIns) {
    // The printer's answers, decoded, then written back with nothing chosen:
    // a number outside the lists goes back as it was, an answer that is no
    // value is left out. After the entries, margin 0 and setup code 0.
    const struct {
        std::vector<SettingReply> answers;
        const char* entries;
    } rows[] = {
        {{{116, "1"}, {118, "90"}}, "74 01 00 76 5a 00"},  // density 90 %
        {{{116, "1"}, {118, "x"}}, "74 01 00"},            // density unknown: left out
        {{{249, "190"}}, "f9 be 00"},                      // 190 mm/sec
        {{{246, "37"}}, "f6 25 00"},                       // a code page the profile lacks
        {{{2, "0"}}, ""},                                  // no NV graphic size
        {{{1, "9"}}, ""},                                  // no NV user size
        {{{251, "x"}}, ""},                                // self-test drawer unknown
        {{{253, "7"}}, ""},                                // stop bits unknown
        {{{245, "93"}}, ""},                               // no bell type 9
        {{{3, "9"}}, ""},                                  // no paper width 9
        {{{249, "190"}, {249, "150"}}, "f9 96 00"},        // the last answer counts
    };
    for (const auto& row : rows) {
        UserSettings s;
        for (const SettingReply& answer : row.answers) DecodeReply(answer, s, DefaultLists());
        const std::vector<uint8_t> entries = HexBytes(row.entries);
        std::vector<uint8_t> expected = HexBytes("1d 28 45 00 00 05");
        expected.insert(expected.end(), entries.begin(), entries.end());
        for (uint8_t b : HexBytes("fa 00 00 ff 00 00 00 00 04")) expected.push_back(b);
        expected[3] = static_cast<uint8_t>(expected.size() - 5);
        EXPECT_EQ(SetValuesHex(s), ToHex(expected)) << row.entries;
        EXPECT_EQ(UnwritableSetting(s), "") << row.entries;
    }
    // The margin and the setup code go into every command: unknown, they refuse it.
    UserSettings s;
    DecodeReply({250, "600"}, s, DefaultLists());
    EXPECT_EQ(UnwritableSetting(s),
              "the printer's margin (setting 250) could not be read from its answer \"600\"");
    DecodeReply({250, "12"}, s, DefaultLists());
    DecodeReply({255, "x\x01"}, s, DefaultLists());
    EXPECT_EQ(UnwritableSetting(s), "the printer's setup code (setting 255) could not be read "
                                    "from its answer \"x\\x01\"");
}

TEST(SetupCommands, SetupCodeRules) {
    EXPECT_EQ(ParseSetupCode(""), 0u);
    EXPECT_EQ(ParseSetupCode("ff"), 0xFFu);
    EXPECT_EQ(ParseSetupCode("FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_FALSE(ParseSetupCode("G1"));
    EXPECT_FALSE(ParseSetupCode("123456789"));
    UserSettings s;
    s.setupCode = "G1";
    PrepareForWrite(s);
    EXPECT_EQ(s.setupCode, "0");
    s.setupCode = "ab";
    PrepareForWrite(s);
    EXPECT_EQ(s.setupCode, "AB");
}

TEST(SetupCommands, ListEntriesWithoutACodeAreLeftOut) {
    SetupLists lists = DefaultLists();
    lists.codePages = {"x|no number", "300|too big"};
    lists.receiveBuffers = {"64", "32", "20", "4", "128"};
    UserSettings s;
    s.codePage = 0;
    s.receiveBuffer = 4;
    EXPECT_EQ(SetValuesHex(s, lists),
              ToHex(HexBytes("1d 28 45 0a 00 05 fa 00 00 ff 00 00 00 00 04")));
    s.codePage = 1;
    EXPECT_EQ(SetValuesHex(s, lists),
              ToHex(HexBytes("1d 28 45 0a 00 05 fa 00 00 ff 00 00 00 00 04")));
}

TEST(SetupCommands, TestPageMatchesReference) {
    std::ifstream file(KORVA_TEST_DATA_DIR "/usersetup/test-page.hex");
    ASSERT_TRUE(file);
    std::vector<std::string> expected;
    for (std::string line; std::getline(file, line);)
        if (!line.empty() && line[0] != '#') expected.push_back(ToHex(HexBytes(line)));
    std::vector<std::string> actual;
    for (const auto& block : BuildTestPage()) actual.push_back(ToHex(block));
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(BuildTestPage()[1].size(), 32u);
}

TEST(SetupCommands, DefaultsAndMemoryTotal) {
    UserSettings s;
    s.leftMargin = 40;
    ApplyDefaults(s, DefaultLists());
    EXPECT_EQ(SetValuesHex(s),
              ToHex(HexBytes("1d 28 45 3a 00 05 03 06 00 74 01 00 76 55 00 f2 00 00 f3 00 00"
                             " f4 00 00 f5 01 03 f6 00 00 01 01 00 02 07 00 f7 00 01 f9 dc 00"
                             " f8 01 01 fb 01 01 fd 00 01 fc 30 34 fa 00 00 ff 00 00 00 00 04")));
    EXPECT_TRUE(NvMemoryTotalFits(s));  // 384 + 64 = 448
    s.nvUser = 1;                       // 384 + 128
    EXPECT_EQ(NvMemoryTotalKb(s), 512);
    EXPECT_FALSE(NvMemoryTotalFits(s));
    s.nvGraphic = kEmpty;
    EXPECT_TRUE(NvMemoryTotalFits(s));
}

TEST(SetupCommands, DependentControlsFollowTheChoices) {
    UserSettings s;
    DependentControls c = DependentControlsFor(s);
    EXPECT_TRUE(c.columnList && c.densityList && c.imageEdit && c.lineEdit);
    s.paperWidth = kWidth80mm;
    s.paperType = kBlack;
    s.waterMark = kOff;
    s.cutAdjust = kOff;
    s.bellType = kMelody3;
    c = DependentControlsFor(s);
    EXPECT_FALSE(c.columnList || c.densityList || c.imageEdit || c.lineEdit);
    EXPECT_STREQ(c.timesCaption, " / 5");
    s.bellType = kOtherBell;
    EXPECT_STREQ(DependentControlsFor(s).timesCaption, "Times");
}

}  // namespace
}  // namespace korva::usersetup

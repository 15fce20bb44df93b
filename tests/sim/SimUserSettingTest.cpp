// User settings, printer ID, reply framing and the test page, against the
// simulator over TCP and the pty.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QJsonArray>

#include "support/SimHarness.h"

using namespace korva::test;

namespace {

const QByteArray kEnterSetup = Bytes("1d 28 45 03 00 01 49 4e");
const QByteArray kLeaveSetup = Bytes("1d 28 45 04 00 02 4f 55 54");

QByteArray Request(uint8_t setting) { return Bytes("1d 28 45 02 00 06") + char(setting); }

QByteArray Reply(const QByteArray& number, const QByteArray& value) {
    return Bytes("37 27") + number + char(0x1F) + value + char(0x00);
}

class SimSettings : public ::testing::Test {
  protected:
    void Start(const QStringList& extra = {}) {
        ASSERT_TRUE(sim.Start(QStringList{"--tcp", "127.0.0.1:0"} + extra))
            << sim.Error().toStdString();
        fd = sim.ConnectTcp();
        ASSERT_GE(fd, 0);
    }
    void TearDown() override {
        if (fd >= 0) ::close(fd);
    }
    QByteArray Ask(const QByteArray& request, int replyBytes, int timeoutMs = 3000) {
        EXPECT_TRUE(WriteAll(fd, request));
        return ReadFor(fd, replyBytes, timeoutMs);
    }
    // Sends a request and expects exactly this reply, nothing more.
    void ExpectReply(const QByteArray& request, const QByteArray& reply) {
        EXPECT_EQ(Ask(request, int(reply.size())).toHex(' '), reply.toHex(' '));
        EXPECT_TRUE(ReadFor(fd, 1, 30).isEmpty());
    }
    SimHarness sim;
    int fd = -1;
};

TEST_F(SimSettings, EverySettingAnswersItsFactoryValue) {
    Start();
    const std::pair<int, const char*> expected[] = {
        {3, "6"},    {116, "1"},  {118, "85"}, {242, "0"}, {243, "0"},   {244, "0"},
        {245, "13"}, {246, "0"},  {247, "0"},  {248, "1"}, {249, "220"}, {250, "0"},
        {251, "1"},  {252, "04"}, {253, "0"},  {1, "1"},   {2, "7"},     {255, "0"}};
    for (auto [number, value] : expected) {
        SCOPED_TRACE(number);
        ExpectReply(Request(uint8_t(number)), Reply(QByteArray::number(number), value));
    }
    // A number without a setting gets no answer at all.
    EXPECT_TRUE(Ask(Request(254), 1, 300).isEmpty());
}

TEST_F(SimSettings, SetValuesWithEverySettingEmptyWritesMarginAndCode) {
    Start();
    // Change margin and code first, then the example command sets both back to 0.
    ASSERT_TRUE(WriteAll(
        fd, kEnterSetup + Bytes("1d 28 45 0a 00 05 fa 20 01 ff 78 56 34 12 04") + kLeaveSetup));
    ExpectReply(Request(250), Reply("250", "288"));
    ExpectReply(Request(255), Reply("255", "305419896"));
    ASSERT_TRUE(WriteAll(
        fd, kEnterSetup + Bytes("1d 28 45 0a 00 05 fa 00 00 ff 00 00 00 00 04") + kLeaveSetup));
    ExpectReply(Request(250), Reply("250", "0"));
    ExpectReply(Request(255), Reply("255", "0"));
}

TEST_F(SimSettings, FullSetValuesCommandChangesEveryAnswer) {
    Start();
    // 63 bytes, pL = 58: every entry of the table once.
    QByteArray command = Bytes(
        "1d 28 45 3a 00 05"
        " 03 03 00  74 01 01  76 64 00  f2 00 07  f3 01 05  f4 00 01  f5 02 04  f6 10 00"
        " 01 02 00  02 06 00  f7 01 01  f9 96 00  f8 00 01  fb 00 01  fd 01 01  fc 33 32"
        " fa 10 00  ff ff 00 00 00 04");
    ASSERT_EQ(command.size(), 63);
    ASSERT_TRUE(WriteAll(fd, kEnterSetup + command + kLeaveSetup));
    QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["settings"]["3"] == "3"; });
    const QJsonObject expected{{"3", "3"},    {"116", "257"}, {"118", "100"}, {"242", "17"},
                               {"243", "15"}, {"244", "1"},   {"245", "24"},  {"246", "16"},
                               {"1", "2"},    {"2", "6"},     {"247", "1"},   {"249", "150"},
                               {"248", "0"},  {"251", "0"},   {"253", "1"},   {"252", "32"},
                               {"250", "16"}, {"255", "255"}};
    EXPECT_EQ(state["settings"].toObject(), expected);
    EXPECT_EQ(state["nv_capacity"].toInt(), 320 * 1024);  // NV graphic memory entry 6 = 320 KB
    EXPECT_FALSE(state["setup_mode"].toBool());
    ExpectReply(Request(253), Bytes("37 27 32 35 33 1f 31 00"));        // stop bits TWO answer "1"
    ExpectReply(Request(116), Bytes("37 27 31 31 36 1f 32 35 37 00"));  // 2Color answers "257"
}

TEST_F(SimSettings, SetValuesOutsideSetupModeOrMalformedChangesNothing) {
    Start();
    ASSERT_TRUE(
        WriteAll(fd, Bytes("1d 28 45 0a 00 05 fa 20 00 ff 01 00 00 00 04")));  // no IN first
    // Malformed: the setup code entry does not end in 04, so the margin is not taken either.
    ASSERT_TRUE(WriteAll(
        fd, kEnterSetup + Bytes("1d 28 45 0a 00 05 fa 20 00 ff 01 00 00 00 05") + kLeaveSetup));
    ExpectReply(Request(250), Reply("250", "0"));
    auto refusals = [](const QJsonObject& s) {
        int count = 0;
        for (const auto& e : s["events"].toArray())
            count += e.toString().contains("ignored") || e.toString().contains("refused");
        return count;
    };
    EXPECT_EQ(refusals(sim.WaitForState([&](const QJsonObject& s) { return refusals(s) >= 2; })),
              2);
}

TEST_F(SimSettings, PrinterIdIsOneByte) {
    Start({"--series", "2"});
    EXPECT_EQ(Ask(Bytes("1d 49 01"), 1).size(), 1);
    EXPECT_TRUE(ReadFor(fd, 1, 300).isEmpty());
}

TEST_F(SimSettings, UsbEscapeFramesZeroAndEscBytes) {
    Start({"--usb-escape"});
    // Reply 37 27 32 35 35 1F 30 00: the terminator goes as 1B 30.
    EXPECT_EQ(Ask(Request(255), 9), Bytes("37 27 32 35 35 1f 30 1b 30"));
}

TEST_F(SimSettings, ParallelStatusBlocksAreInterleaved) {
    Start({"--parallel-status"});
    EXPECT_EQ(Ask(Request(3), 14), Bytes("14 00 00 0f 37 27 33 14 00 00 0f 1f 36 00"));
}

TEST_F(SimSettings, TestPagePrintsItsLinesInTwoColoursAndCuts) {
    Start();
    QByteArray page =
        Bytes("1b 40") + QByteArray("USER SETUP UTILITY TEST PRINT!") + Bytes("0a 00");
    for (int i = 0; i < 5; ++i)
        page += Bytes("1d 28 4e 02 00 30 32") + QByteArray("0123456789") + char(0) +
                Bytes("1d 28 4e 02 00 30 31") + QByteArray("0123456789") + char(0);
    page += Bytes("0a 00");
    for (int b = 0x80; b <= 0xFF; ++b) page += char(b);
    page += Bytes("0a 00 1b 40 0a 00 0a 00 0a 00 0a 00 1b 69");
    ASSERT_TRUE(WriteAll(fd, page));
    QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["cuts"].toInt() == 1; });
    QJsonArray lines = state["lines"].toArray();
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0].toString(), "USER SETUP UTILITY TEST PRINT!");
    EXPECT_EQ(lines[1].toString(), QString("0123456789").repeated(10));
    EXPECT_EQ(lines[2].toString().size(), 128);
    EXPECT_EQ(state["initializations"].toInt(), 2);
    EXPECT_EQ(state["received"].toArray()[0].toObject()["unknown"].toString(), "");
}

TEST_F(SimSettings, UnknownBytesAreRecordedAndDecodingGoesOn) {
    Start();
    ASSERT_TRUE(WriteAll(
        fd, Bytes("1b 5a 07 1d 28 45 02 00") + char(6)));  // ESC Z, BEL, then a request split
    ASSERT_TRUE(WriteAll(fd, QByteArray(1, char(3))));
    EXPECT_EQ(ReadFor(fd, 6, 3000), Reply("3", "6"));
    QJsonObject state = sim.WaitForState([](const QJsonObject& s) {
        return !s["received"].toArray().isEmpty() && s["received"][0]["unknown"] == "1b5a07";
    });
    EXPECT_EQ(state["received"][0]["unknown"].toString(), "1b5a07");
}

}  // namespace

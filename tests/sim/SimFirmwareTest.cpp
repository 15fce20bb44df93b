// Both firmware loaders of the simulator and its fault injection.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QJsonArray>
#include <cerrno>

#include "support/SimHarness.h"

using namespace korva::test;

namespace {

const QByteArray kAck = Bytes("10 06");
const QByteArray kNak = Bytes("10 15");

// Newer series: area code, length (LE, whole packet), data, checksum (LE) of the data.
QByteArray NewPacket(const char* areaCode, uint32_t length, char fill, int checksumDelta = 0) {
    QByteArray packet = Bytes(areaCode);
    for (int i = 0; i < 4; ++i) packet += char((length >> (8 * i)) & 0xFF);
    QByteArray data(int(length) - 10, fill);
    uint16_t sum = 0;
    for (char c : data) sum = uint16_t(sum + uint8_t(c));
    sum = uint16_t(sum + checksumDelta);
    return packet + data + char(sum & 0xFF) + char(sum >> 8);
}

// Older series: 40 Fx, length or erase code, BE address, data, BE checksum.
QByteArray OldPacket(uint8_t command, uint32_t address, const QByteArray& data,
                     int checksumDelta = 0) {
    QByteArray p = Bytes("40") + char(command);
    p += char(data.size() >> 8);
    p += char(data.size() & 0xFF);
    for (int shift = 24; shift >= 0; shift -= 8) p += char((address >> shift) & 0xFF);
    uint16_t sum = 0;
    for (char c : data) sum = uint16_t(sum + uint8_t(c));
    sum = uint16_t(sum + checksumDelta);
    return p + data + char(sum >> 8) + char(sum & 0xFF);
}

QByteArray Block(uint32_t address) {
    QByteArray data(512, 0);
    for (int i = 0; i < 512; ++i) data[i] = char((address + uint32_t(i)) * 7);
    return data;
}

uint32_t Fnv1a(const QByteArray& data, uint32_t hash = 2166136261u) {
    for (char c : data) hash = (hash ^ uint8_t(c)) * 16777619u;
    return hash;
}

QJsonObject LastFirmware(const QJsonObject& state) {
    QJsonArray list = state["firmware"].toArray();
    return list.isEmpty() ? QJsonObject{} : list.last().toObject();
}

TEST(SimNewerLoader, ProgramPacketOfTheK20ExampleIsCheckedAndPowersOff) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--series", "1", "--tcp", "127.0.0.1:0"})) << sim.Error().toStdString();
    int fd = sim.ConnectTcp();
    ASSERT_GE(fd, 0);
    QByteArray packet = NewPacket("01 11 51 04", 0x60000, char(0xFF));
    ASSERT_EQ(packet.mid(4, 4), Bytes("00 00 06 00"));
    ASSERT_EQ(packet.right(2), Bytes("0a f6"));  // (0x5FFF6 x 255) mod 65536 = 0xF60A
    ASSERT_TRUE(WriteAll(fd, packet));
    QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["powered_off"].toBool(); });
    EXPECT_EQ(LastFirmware(state)["area"].toString(), "program");
    EXPECT_EQ(LastFirmware(state)["area_code"].toString(), "01115104");
    EXPECT_EQ(LastFirmware(state)["length"].toInt(), 0x60000);
    EXPECT_TRUE(LastFirmware(state)["length_ok"].toBool());
    EXPECT_TRUE(LastFirmware(state)["checksum_ok"].toBool());
    EXPECT_TRUE(LastFirmware(state)["complete"].toBool());
    EXPECT_EQ(LastFirmware(state)["series"].toInt(), 1);
    // Switched off: the connection ends and a new one is dropped at once.
    EXPECT_TRUE(ReadFor(fd, 1, 3000).isEmpty());
    ::close(fd);
    fd = sim.ConnectTcp();
    char byte;
    EXPECT_LE(::read(fd, &byte, 1), 0);
    ::close(fd);
}

TEST(SimNewerLoader, BadChecksumAndWrongLengthForTheSeriesAreRecorded) {
    for (auto [series, code, length, delta, lengthOk, checksumOk] :
         {std::tuple{"3", "01 11 42 04", 0x4000u, 1, true, false},
          std::tuple{"1", "01 11 44 04", 0x10000u, 0, false, true},
          std::tuple{"3", "01 11 44 04", 0x10000u, 0, true, true}}) {
        SimHarness sim;
        ASSERT_TRUE(sim.Start({"--series", series, "--tcp", "127.0.0.1:0"}));
        int fd = sim.ConnectTcp();
        ASSERT_TRUE(WriteAll(fd, NewPacket(code, length, 0x5A, delta)));
        QJsonObject record = LastFirmware(
            sim.WaitForState([](const QJsonObject& s) { return s["powered_off"].toBool(); }));
        EXPECT_EQ(record["length_ok"].toBool(), lengthOk) << code;
        EXPECT_EQ(record["checksum_ok"].toBool(), checksumOk) << code;
        ::close(fd);
    }
}

TEST(SimNewerLoader, PowersOnAgainWhenAsked) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0", "--power-on-after", "200"}));
    int fd = sim.ConnectTcp();
    ASSERT_TRUE(WriteAll(fd, NewPacket("01 11 42 04", 0x4000, 0x11)));
    ::close(fd);
    QJsonObject state = sim.WaitForState(
        [](const QJsonObject& s) { return s["events"].toArray().contains("power on"); });
    EXPECT_FALSE(state["powered_off"].toBool());
    fd = sim.ConnectTcp();
    ASSERT_TRUE(WriteAll(fd, Bytes("1d 49 01")));
    EXPECT_EQ(ReadFor(fd, 1, 3000), Bytes("22"));
    ::close(fd);
}

class SimOlderLoader : public ::testing::Test {
  protected:
    void Start(const QStringList& extra = {}) {
        ASSERT_TRUE(sim.Start(QStringList{"--series", "2", "--serial"} + extra))
            << sim.Error().toStdString();
        fd = OpenRawTty(sim.SerialPath());
        ASSERT_GE(fd, 0);
    }
    void TearDown() override {
        if (fd >= 0) ::close(fd);
    }
    QByteArray Exchange(const QByteArray& packet, int timeoutMs = 3000) {
        EXPECT_TRUE(WriteAll(fd, packet));
        return ReadFor(fd, 2, timeoutMs);
    }
    SimHarness sim;
    int fd = -1;
};

TEST_F(SimOlderLoader, ProgramAndBootAreasAreErasedAndWrittenBlockByBlock) {
    Start();
    struct Area {
        const char* name;
        const char* erase;
        uint32_t start, end;
        const char* firstHeader;
        const char* lastHeader;
    };
    for (const Area& area : {Area{"program", "40 f2 20 22 00 00 00 00 00 00", 0x1D0000, 0x1F0000,
                                  "40 f0 02 00 00 1d 00 00", "40 f1 02 00 00 1e fe 00"},
                             Area{"boot", "40 f2 22 23 00 00 00 00 00 00", 0x1F0000, 0x200000,
                                  "40 f0 02 00 00 1f 00 00", "40 f1 02 00 00 1f fe 00"}}) {
        SCOPED_TRACE(area.name);
        ASSERT_EQ(Exchange(Bytes(area.erase)), kAck);
        uint32_t hash = 2166136261u;
        int packets = 0;
        for (uint32_t address = area.start; address < area.end; address += 512, ++packets) {
            const bool last = address + 512 == area.end;
            QByteArray packet = OldPacket(last ? 0xF1 : 0xF0, address, Block(address));
            if (address == area.start) {
                ASSERT_EQ(packet.left(8), Bytes(area.firstHeader));
            }
            if (last) {
                ASSERT_EQ(packet.left(8), Bytes(area.lastHeader));
            }
            ASSERT_EQ(Exchange(packet), kAck) << std::hex << address;
            hash = Fnv1a(Block(address), hash);
        }
        EXPECT_EQ(packets, int((area.end - area.start) / 512));
        QJsonObject record = LastFirmware(sim.WaitForState([&](const QJsonObject& s) {
            return LastFirmware(s)["area"] == area.name && LastFirmware(s)["complete"].toBool();
        }));
        EXPECT_EQ(record["length"].toInt(), int(area.end - area.start));
        EXPECT_TRUE(record["length_ok"].toBool());
        EXPECT_TRUE(record["checksum_ok"].toBool());
        EXPECT_EQ(record["data_fnv1a"].toString(), QString::asprintf("%08x", hash));
        EXPECT_EQ(record["naks"].toInt(), 0);
    }
}

TEST_F(SimOlderLoader, BadChecksumIsRefusedAndTheResentBlockTaken) {
    Start();
    ASSERT_EQ(Exchange(Bytes("40 f2 20 22 00 00 00 00 00 00")), kAck);
    QByteArray full(512, char(0xFF));
    QByteArray good = OldPacket(0xF0, 0x1D0000, full);
    ASSERT_EQ(good.right(2), Bytes("fe 00"));  // (512 x 255) mod 65536
    EXPECT_EQ(Exchange(OldPacket(0xF0, 0x1D0000, full, 1)), kNak);
    EXPECT_EQ(Exchange(good), kAck);
    EXPECT_EQ(Exchange(OldPacket(0xF0, 0x1D0400, full)), kNak);  // skips a block: wrong address
    EXPECT_EQ(Exchange(OldPacket(0xF0, 0x1D0200, full)), kAck);
    // A DLE-less stray byte between packets is ignored; the loader finds the next packet.
    EXPECT_EQ(Exchange(Bytes("07") + OldPacket(0xF0, 0x1D0400, full)), kAck);
    QJsonObject record = LastFirmware(sim.WaitForState(
        [](const QJsonObject& s) { return LastFirmware(s)["naks"].toInt() == 2; }));
    EXPECT_FALSE(record["checksum_ok"].toBool());
    EXPECT_FALSE(record["complete"].toBool());
    EXPECT_EQ(record["length"].toInt(), 3 * 512);
}

TEST_F(SimOlderLoader, NakEveryThirdBlock) {
    Start({"--nak-every", "3"});
    ASSERT_EQ(Exchange(Bytes("40 f2 22 23 00 00 00 00 00 00")), kAck);
    QByteArray answers;
    for (uint32_t address = 0x1F0000; address < 0x1F0000 + 4 * 512;) {
        QByteArray answer = Exchange(OldPacket(0xF0, address, Block(address)));
        answers += answer;
        if (answer == kAck) address += 512;
    }
    EXPECT_EQ(answers,
              kAck + kAck + kNak + kAck + kAck);  // 3rd good packet refused, its resend taken
}

TEST_F(SimOlderLoader, AnswersStopAfterTheGivenCount) {
    Start({"--drop-answer-after", "2"});
    EXPECT_EQ(Exchange(Bytes("40 f2 22 23 00 00 00 00 00 00")), kAck);
    EXPECT_EQ(Exchange(OldPacket(0xF0, 0x1F0000, Block(0x1F0000))), kAck);
    EXPECT_TRUE(Exchange(OldPacket(0xF0, 0x1F0200, Block(0x1F0200)), 300).isEmpty());
    QJsonObject record = LastFirmware(sim.WaitForState(
        [](const QJsonObject& s) { return LastFirmware(s)["length"].toInt() == 1024; }));
    EXPECT_EQ(record["length"].toInt(), 1024);  // the block was still taken
}

TEST(SimFaults, DisconnectAfterBytesHangsUpTheSerialLine) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--disconnect-after-bytes", "100"}));
    int fd = OpenRawTty(sim.SerialPath());
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(WriteAll(fd, QByteArray(100, 'A')));
    QJsonObject state = sim.WaitForState([](const QJsonObject& s) {
        return s["events"].toArray().contains("serial: hung up (fault injection)");
    });
    EXPECT_EQ(state["received"][0]["byte_count"].toInt(), 100);
    char byte;
    EXPECT_LE(::read(fd, &byte, 1), 0);  // the line is gone
    ::close(fd);
}

TEST(SimFaults, StallAfterBytesStopsReadingAndPushesBack) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0", "--stall-after-bytes", "1000"}));
    int fd = sim.ConnectTcp();
    ASSERT_GE(fd, 0);
    fcntl(fd, F_SETFL, O_NONBLOCK);
    // Keep writing until the kernel buffers are full: the simulator no longer reads.
    QByteArray chunk(65536, 'B');
    bool blocked = false;
    for (int i = 0; i < 1000 && !blocked; ++i) {
        ssize_t n = ::write(fd, chunk.constData(), size_t(chunk.size()));
        if (n < 0 && errno == EAGAIN) {
            usleep(20000);
            blocked = ::write(fd, chunk.constData(), 1) < 0 && errno == EAGAIN;
        }
    }
    EXPECT_TRUE(blocked);
    QJsonObject state = sim.WaitForState(
        [](const QJsonObject& s) { return s["received"][0]["byte_count"].toInt() == 1000; });
    EXPECT_EQ(state["received"][0]["byte_count"].toInt(), 1000);
    ::close(fd);
}

// Stopped while a host still holds a connection: the simulator must end
// cleanly (the harness fails the test on a crash, a sanitizer report or a
// non-zero exit).
TEST(SimFaults, StopWithAConnectionStillOpenEndsCleanly) {
    for (const char* transport : {"--tcp", "--serial"}) {
        SCOPED_TRACE(transport);
        SimHarness sim;
        const bool tcp = QByteArray(transport) == "--tcp";
        ASSERT_TRUE(sim.Start(tcp ? QStringList{"--tcp", "127.0.0.1:0"} : QStringList{"--serial"}));
        const int fd = tcp ? sim.ConnectTcp() : OpenRawTty(sim.SerialPath());
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(WriteAll(fd, Bytes("1b 40")));  // ESC @: initialize
        const QJsonObject state = sim.WaitForState(
            [](const QJsonObject& s) { return s["received"][0]["byte_count"].toInt() == 2; });
        EXPECT_EQ(SimHarness::Received(state, 0), Bytes("1b 40"));
        sim.Stop();
        ::close(fd);
    }
}

}  // namespace

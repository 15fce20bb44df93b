#include "firmware/OldDownload.h"

#include <gtest/gtest.h>

#include "profile/MemoryProfile.h"
#include "base/StepEngine.h"
#include "firmware/FirmwareImages.h"
#include "support/RecordedMessages.h"
#include "support/RecordingStream.h"
#include "support/TestDir.h"

using namespace korva;
using namespace korva::firmware;
using Outcome = OldFirmwareDownload::Outcome;
using korva::test::HexBytes;
using korva::test::RecordedMessages;
using korva::test::RecordingStream;

namespace {

/// The packets an area takes, built block by block from the image.
std::vector<std::vector<uint8_t>> ExpectedPackets(const std::vector<uint8_t>& image, OldArea area) {
    const OldAreaInfo& info = OldAreaOf(area);
    std::vector<std::vector<uint8_t>> packets{EncodeOldErasePacket(area)};
    for (uint32_t at = info.start; at < info.end; at += 512) {
        const uint32_t n = std::min<uint32_t>(512, info.end - at);
        packets.push_back(EncodeOldDataPacket(std::span(image).subspan(at, n), at, at + n == info.end));
    }
    return packets;
}

struct Rig {
    test::TestDir dir;
    base::RecordingClock clock;
    base::CErrorLog log;
    profile::MemoryProfile profile;
    RecordingStream stream;
    std::vector<uint8_t> image = test::PatternImage(0x200000, 3);
    std::vector<std::string> captions;
    std::vector<int> waits;

    explicit Rig(port::PortKind kind = port::PortKind::Serial) : stream(kind, clock) {}

    /// The printer answers each write with the next of `answers` (then ACKs).
    void Answer(std::vector<std::string> answers = {}) {
        stream.onWrite = [this, answers](int n) {
            const std::string reply = n <= static_cast<int>(answers.size()) ? answers[n - 1] : "10 06";
            for (uint8_t b : HexBytes(reply)) stream.replies.push_back(b);
        };
    }

    Outcome Download(OldArea area, int answerTimeoutMs = 0, std::function<void(OldFirmwareDownload&)> each = {}) {
        test::WriteFile(dir / "fw.bin", image);
        OldDownloadSettings settings;
        settings.path = (dir / "fw.bin").string();
        settings.fileName = "fw.bin";
        settings.area = area;
        settings.profile = &profile;
        settings.answerTimeoutMs = answerTimeoutMs;
        OldFirmwareDownload engine(stream, clock, log, settings);
        for (int wait = engine.Step(); wait != base::kStepDone; wait = engine.Step()) {
            if (wait > 0) waits.push_back(wait);
            clock.SleepMs(wait);
            const std::string& caption = engine.Progress().caption;
            if (!caption.empty() && (captions.empty() || captions.back() != caption))
                captions.push_back(caption);
            if (each) each(engine);
        }
        return engine.GetOutcome();
    }
};

}  // namespace

TEST(OldDownload, SerialBootAreaDrivenByAcks) {
    RecordedMessages messages;
    Rig rig;
    rig.Answer();
    ASSERT_EQ(rig.Download(OldArea::Boot), Outcome::Completed);
    const auto writes = rig.stream.Writes();
    EXPECT_EQ(writes, ExpectedPackets(rig.image, OldArea::Boot));
    ASSERT_EQ(writes.size(), 1u + 128u);
    EXPECT_EQ(writes.front(), HexBytes("40 F2 22 23 00 00 00 00 00 00"));
    EXPECT_EQ(writes.back()[1], 0xF1);
    // Six erase waits of 400 ms, then the answers pace the transfer.
    EXPECT_EQ(rig.waits, std::vector<int>(6, 400));
    ASSERT_GE(rig.captions.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(rig.captions.begin(), rig.captions.begin() + 8),
              (std::vector<std::string>{"Erasing...", "Erasing....", "Erasing.....", "Erasing......",
                                        "Erasing.......", "Erasing........", "Erasing.........",
                                        "Writing...(1F0200)"}));
    EXPECT_EQ(rig.captions.back(), "Writing...(200000)");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"COMPLETED"});
    EXPECT_FALSE(rig.stream.IsOpen());
    EXPECT_EQ(rig.profile.GetString("FWDN15", "FILE"), "fw.bin");
}

TEST(OldDownload, NakResendsTheSamePacketAndStrayAnswersAreIgnored) {
    RecordedMessages messages;
    Rig rig;
    // Erase ACK; block 1 NAK; its resend: DLE 41 (ignored) then ACK; block 2 ACK ...
    rig.Answer({"10 06", "10 15", "10 41 10 06"});
    ASSERT_EQ(rig.Download(OldArea::Boot), Outcome::Completed);
    const auto writes = rig.stream.Writes();
    auto expected = ExpectedPackets(rig.image, OldArea::Boot);
    expected.insert(expected.begin() + 2, expected[1]);
    EXPECT_EQ(writes, expected);
}

TEST(OldDownload, ParallelSendsBlind50MsApart) {
    RecordedMessages messages;
    Rig rig(port::PortKind::Parallel);
    ASSERT_EQ(rig.Download(OldArea::Program), Outcome::Completed);
    EXPECT_EQ(rig.stream.Writes(), ExpectedPackets(rig.image, OldArea::Program));
    EXPECT_EQ(rig.stream.CountOf(RecordingStream::Op::Read), 0);
    // Erase: 50 ms after the packet plus the first 500 ms wait, five more; then 50 ms per block.
    std::vector<int> expected{550, 500, 500, 500, 500, 500};
    expected.insert(expected.end(), 256, 50);
    EXPECT_EQ(rig.waits, expected);
    // Nothing answers a blind transfer: it is sent, not confirmed.
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{
                                    "COMPLETED\r\nSent, not confirmed: the printer gives no answer on this connection."});
}

TEST(OldDownload, RefusalsSendNothing) {
    {
        RecordedMessages messages;
        Rig rig;
        std::copy_n("K15S", 4, rig.image.begin() + 0x80000);
        EXPECT_EQ(rig.Download(OldArea::ExtFont), Outcome::NoExtFont);
        EXPECT_TRUE(rig.stream.Writes().empty());
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error! Not found extened font data in file."});
        EXPECT_FALSE(rig.stream.IsOpen());
    }
    {
        RecordedMessages messages;
        Rig rig;
        rig.image.resize(0x1EFFFF);  // one byte short of the program area
        EXPECT_EQ(rig.Download(OldArea::Program), Outcome::ImageTooShort);
        EXPECT_TRUE(rig.stream.Writes().empty());
        EXPECT_EQ(messages.Texts(),
                  std::vector<std::string>{"The firmware file is too short for this area:\n"
                                           "it ends at 1EFFFF, the area ends at 1F0000."});
    }
    {
        RecordedMessages messages;
        Rig rig;
        rig.stream.failOpen = true;
        EXPECT_EQ(rig.Download(OldArea::Program), Outcome::PortOpenFailed);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Init Fail"});
    }
}

TEST(OldDownload, SilentPrinterFailedWriteAndCancel) {
    {
        RecordedMessages messages;
        Rig rig;
        rig.Answer({"10 06", "10 06", ""});  // the second data block is never answered
        rig.stream.onWrite = [&rig, inner = rig.stream.onWrite](int n) { if (n < 3) inner(n); };
        EXPECT_EQ(rig.Download(OldArea::Boot, 2000), Outcome::NoAnswer);
        EXPECT_EQ(rig.stream.Writes().size(), 3u);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"ERROR : Receive data."});
        EXPECT_GE(rig.clock.NowMs() - 6 * 400, 2000);
    }
    {
        RecordedMessages messages;
        Rig rig;
        rig.Answer();
        rig.stream.failWriteNumber = 5;
        EXPECT_EQ(rig.Download(OldArea::Boot), Outcome::WriteFailed);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"ERROR : Write to port."});
        EXPECT_FALSE(rig.stream.IsOpen());
    }
    {
        RecordedMessages messages;
        Rig rig;
        rig.Answer();
        EXPECT_EQ(rig.Download(OldArea::Boot, 0,
                               [](OldFirmwareDownload& e) {
                                   if (e.Progress().position >= 0x1F0000 + 2048) e.Cancel();
                               }),
                  Outcome::Cancelled);
        EXPECT_EQ(rig.stream.Writes().size(), 1u + 4u);
        EXPECT_TRUE(messages.Texts().empty());
        EXPECT_FALSE(rig.stream.IsOpen());
    }
}

#include "firmware/NewDownload.h"

#include <gtest/gtest.h>

#include "profile/MemoryProfile.h"
#include "base/StepEngine.h"
#include "firmware/FirmwareImages.h"
#include "support/RecordedMessages.h"
#include "support/RecordingStream.h"
#include "support/TestDir.h"

using namespace korva;
using namespace korva::firmware;
using Outcome = NewFirmwareDownload::Outcome;
using korva::test::RecordedMessages;
using korva::test::RecordingStream;

namespace {

constexpr const char* kUpdateComplete =
    "Update Complete.\nPlease wait beep the buzzer and automatically power off.";

struct Rig {
    test::TestDir dir;
    base::RecordingClock clock;
    base::CErrorLog log;
    profile::MemoryProfile profile;
    RecordingStream stream;
    std::vector<int> positions;  // progress after every step

    explicit Rig(port::PortKind kind = port::PortKind::Serial) : stream(kind, clock) {}

    std::string Image(const std::vector<uint8_t>& bytes, const std::string& name = "fw.K20") {
        test::WriteFile(dir / name, bytes);
        return (dir / name).string();
    }

    Outcome Download(const std::string& path, NewArea area, int deviceType = 1) {
        NewDownloadSettings settings;
        settings.path = path;
        settings.fileName = "fw.K20";
        settings.area = area;
        settings.deviceType = deviceType;
        settings.profile = &profile;
        NewFirmwareDownload engine(stream, log, settings);
        base::RunSteps(engine, clock, [&] { positions.push_back(engine.Progress().position); });
        last = engine.Progress();
        areaAfter = engine.Area();
        return engine.GetOutcome();
    }

    NewDownloadProgress last;
    NewArea areaAfter = NewArea::Program;
};

}  // namespace

TEST(NewDownload, BootAreaGoesOutWholeInBlocksThenSettles) {
    RecordedMessages messages(base::MsgAnswer::Yes);
    Rig run;
    const auto image = test::NewSeriesImage("K20");
    const std::string path = run.Image(image);
    ASSERT_EQ(run.Download(path, NewArea::Boot), Outcome::Completed);

    const auto expected = BuildNewDownloadPacket(image, 1, NewArea::Boot).packet.bytes;
    EXPECT_EQ(run.stream.Stream(), expected);
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"Are you sure the Boot area download?", kUpdateComplete}));
    // Reopened before anything else; closed after the last block.
    const auto& events = run.stream.Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0].op, RecordingStream::Op::Close);
    EXPECT_EQ(events[1].op, RecordingStream::Op::Open);
    EXPECT_EQ(events.back().op, RecordingStream::Op::Close);
    // 256 settling steps of 0x4000 / 10240 = 1 ms, and no pause in the transfer.
    EXPECT_EQ(run.clock.Waits(), std::vector<int>(256, 1));
    EXPECT_EQ(run.last.sentText, "16384");
    char sum[8];
    std::snprintf(sum, sizeof sum, "%X", BuildNewDownloadPacket(image, 1, NewArea::Boot).packet.checksum);
    EXPECT_EQ(run.last.checksumText, sum);
    EXPECT_EQ(run.last.position, 0);
    EXPECT_EQ(run.last.percent, 0);
    EXPECT_EQ(run.profile.GetString("FWDN20", "FOLDER"), path);
    EXPECT_EQ(run.profile.GetString("FWDN20", "FILE"), "fw.K20");
}

TEST(NewDownload, ProgressMovesPerBlockAndIntoTheSettlingRoom) {
    RecordedMessages messages(base::MsgAnswer::Yes);
    Rig run(port::PortKind::Parallel);
    ASSERT_EQ(run.Download(run.Image(test::NewSeriesImage("K20")), NewArea::Boot), Outcome::Completed);
    // Blocks of 2048: the bar moves at 2048, 4096 .. 16384, then 16385 + 80 k.
    std::vector<int> moves;
    for (int p : run.positions)
        if (moves.empty() || moves.back() != p) moves.push_back(p);
    ASSERT_GE(moves.size(), 8u + 256u);
    EXPECT_EQ(std::vector<int>(moves.begin() + 1, moves.begin() + 9),
              (std::vector<int>{2048, 4096, 6144, 8192, 10240, 12288, 14336, 16384}));
    EXPECT_EQ(moves[9], 16385);
    EXPECT_EQ(moves[9 + 255], 16385 + 80 * 255);
    EXPECT_EQ(moves.back(), 0);
    // Written in pieces that never cross a block's end.
    for (const auto& write : run.stream.Writes()) EXPECT_LE(write.size(), 512u);
}

TEST(NewDownload, CaptionPercentAndChecksumText) {
    RecordedMessages messages;
    Rig run;
    auto image = test::NewSeriesImage("K20");
    std::fill(image.begin() + 0x10000, image.begin() + 0x70000, 0xFF);
    NewDownloadSettings settings;
    settings.path = run.Image(image);
    settings.area = NewArea::Program;
    NewFirmwareDownload engine(run.stream, run.log, settings);
    bool saw37 = false;
    std::vector<int> waits;
    for (int wait = engine.Step(); wait != base::kStepDone; wait = engine.Step()) {
        if (wait > 0) waits.push_back(wait);
        const auto& p = engine.Progress();
        if (p.range > 0) {
            EXPECT_EQ(p.range, 0x60000 + 20480);
            EXPECT_EQ(p.percent, static_cast<int>(int64_t{p.position} * 100 / p.range));
            saw37 = saw37 || p.percent == 37;
            EXPECT_EQ(p.checksumText, "F60A");
        }
    }
    EXPECT_TRUE(saw37);
    EXPECT_EQ(engine.GetOutcome(), Outcome::Completed);
    // 0x60000 / 10240 = 38 ms a step.
    EXPECT_EQ(waits, std::vector<int>(256, 38));
}

TEST(NewDownload, RefusedImagesNeverReachThePrinter) {
    struct Case {
        std::vector<uint8_t> image;
        NewArea area;
        int deviceType;
        Outcome outcome;
        std::string message;
        std::string cause;  ///< the lines after the message: why, and what to do
    };
    std::vector<Case> cases;
    cases.push_back({test::NewSeriesImage("K20", 0xFFFFF), NewArea::Program, 1, Outcome::SizeWrong,
                     "ERROR: File size not correct!",
                     "fw.K20: the file has 1048575 bytes; an image has exactly 1048576 (1 MiB) or 2097152 (2 MiB)."});
    cases.push_back({test::NewSeriesImage("K20", 0x100001), NewArea::Program, 1, Outcome::SizeWrong,
                     "ERROR: File size not correct!",
                     "fw.K20: the file has 1048577 bytes; an image has exactly 1048576 (1 MiB) or 2097152 (2 MiB)."});
    cases.push_back({test::NewSeriesImage("K20"), NewArea::Program, 3, Outcome::NotFirmware,
                     "ERROR : File is not firmware file!",
                     "fw.K20 is a K20 image for KORVA20 printers, but the model is a KORVA20II; nothing was sent."
                     "\r\nOpen an image made for KORVA20II printers."});
    cases.push_back({test::NewSeriesImage("K22"), NewArea::Program, 1, Outcome::NotFirmware,
                     "ERROR : File is not firmware file!",
                     "fw.K20 is a K22 image for KORVA20II printers, but the model is a KORVA20; nothing was sent."
                     "\r\nOpen an image made for KORVA20 printers."});
    cases.push_back({test::NewSeriesImage("X99"), NewArea::Program, 1, Outcome::NotFirmware,
                     "ERROR : File is not firmware file!",
                     "fw.K20 carries no firmware signature (K20, K22, K23 or K24 at 0FFFFC); it is no firmware "
                     "image for KORVA20 or KORVA20II printers; nothing was sent.\r\nOpen an image made for KORVA20 "
                     "printers."});
    cases.push_back({test::NewSeriesImage("K22", 0x200000, '1'), NewArea::ExtFont, 3,
                     Outcome::NoExtFont, "ERROR : File is not include Ext.font data.", ""});
    for (const Case& c : cases) {
        RecordedMessages messages(base::MsgAnswer::Yes);
        Rig run;
        EXPECT_EQ(run.Download(run.Image(c.image), c.area, c.deviceType), c.outcome);
        EXPECT_TRUE(run.stream.Writes().empty());
        EXPECT_EQ(messages.Texts().back(), c.cause.empty() ? c.message : c.message + "\r\n" + c.cause);
        EXPECT_EQ(run.stream.Events().back().op, RecordingStream::Op::Close);
        EXPECT_FALSE(run.stream.IsOpen());
        if (c.outcome == Outcome::NoExtFont) {
            EXPECT_EQ(run.areaAfter, NewArea::Program);
        }
    }
}

TEST(NewDownload, MissingFileDeclineAndPortFailure) {
    {
        RecordedMessages messages;
        Rig run;
        EXPECT_EQ(run.Download("", NewArea::Program), Outcome::FileOpenFailed);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"ERROR : File Open"});
        // The empty path was remembered all the same.
        EXPECT_TRUE(run.profile.Ini().Find("FWDN20", "FOLDER") != nullptr);
    }
    {
        RecordedMessages messages(base::MsgAnswer::No);
        Rig run;
        EXPECT_EQ(run.Download(run.Image(test::NewSeriesImage("K20")), NewArea::Downloader),
                  Outcome::Declined);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Are you sure the Downloader area download?"});
        EXPECT_TRUE(run.stream.Events().empty());
        EXPECT_TRUE(run.profile.Ini().Find("FWDN20", "FOLDER") == nullptr);
    }
    {
        RecordedMessages messages;
        Rig run;
        run.stream.failOpen = true;
        EXPECT_EQ(run.Download(run.Image(test::NewSeriesImage("K20")), NewArea::Program),
                  Outcome::PortOpenFailed);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Init Fail"});
    }
}

TEST(NewDownload, WriteFailuresByPortKind) {
    {
        RecordedMessages messages;
        Rig run(port::PortKind::Serial);
        run.stream.failWriteNumber = 3;
        EXPECT_EQ(run.Download(run.Image(test::NewSeriesImage("K20")), NewArea::Program),
                  Outcome::PrinterNotReady);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"ERROR : PRINTER IS NOT READY!"});
        EXPECT_FALSE(run.stream.IsOpen());
        EXPECT_EQ(run.stream.Writes().size(), 2u);
    }
    {
        RecordedMessages messages;
        Rig run(port::PortKind::Parallel);
        run.stream.failWriteNumber = 1;
        EXPECT_EQ(run.Download(run.Image(test::NewSeriesImage("K20")), NewArea::Program),
                  Outcome::WriteFailed);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"LPT Write Error[5]"});
        EXPECT_FALSE(run.stream.IsOpen());
    }
}

TEST(NewDownload, EthernetConnectsAfterTheChecksAndSendsBlocksOf4096) {
    {
        RecordedMessages messages;
        Rig run(port::PortKind::Ethernet);
        ASSERT_EQ(run.Download(run.Image(test::NewSeriesImage("K22")), NewArea::Program, 3),
                  Outcome::Completed);
        const auto writes = run.stream.Writes();
        ASSERT_EQ(writes.size(), 0x50000u / 4096);
        for (const auto& w : writes) EXPECT_EQ(w.size(), 4096u);
        // No reopening before the checks: one open, for the transfer.
        EXPECT_EQ(run.stream.CountOf(RecordingStream::Op::Open), 1);
        EXPECT_EQ(run.stream.Events().front().op, RecordingStream::Op::Open);
        EXPECT_EQ(run.stream.Events().back().op, RecordingStream::Op::Close);
        // The bar runs an extra block ahead on the link but never past its end.
        EXPECT_LE(*std::max_element(run.positions.begin(), run.positions.end()), 0x50000 + 20480);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{kUpdateComplete});
    }
    {
        RecordedMessages messages;
        Rig run(port::PortKind::Ethernet);
        run.stream.failOpen = true;
        EXPECT_EQ(run.Download(run.Image(test::NewSeriesImage("K22")), NewArea::Program, 3),
                  Outcome::PrinterCheckFailed);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"ERROR : Printer check."});
    }
}

// The upload's byte stream and pacing, compared whole.
#include "UploadFixture.h"

#include "base/Messages.h"

using namespace korva;
using korva::test::HexBytes;
using korva::test::ToHex;
using Outcome = logo::NvUpload::Outcome;
using port::PortKind;

namespace {
std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
}  // namespace

class NvUploadStream : public test::UploadTest {};

TEST_F(NvUploadStream, TwoLogosOverSerialGiveTheExampleStreamAndPacing) {
    List(1, "first.bmp", 104, 32);
    List(2, "second.bmp", 512, 8);
    auto upload = MakeUpload(PortKind::Serial);
    EXPECT_EQ(Run(*upload), Outcome::Completed);

    const auto writes = stream->Writes();
    ASSERT_EQ(writes.size(), 10u);
    EXPECT_EQ(writes[0], HexBytes("1D 49 01"));              // printer check
    EXPECT_EQ(writes[1], HexBytes("1D 28 45 02 00 06 02"));  // its NV graphics size
    EXPECT_EQ(writes[2], HexBytes("1B 40"));                 // initialise
    EXPECT_EQ(writes[3], HexBytes("1C 71 02"));
    EXPECT_EQ(writes[4], HexBytes("0D 00 04 00"));
    EXPECT_EQ(writes[5], Raster(1));  // 416 bytes: one short write
    EXPECT_EQ(writes[6], HexBytes("40 00 01 00"));
    EXPECT_EQ(writes[7], Raster(2));  // exactly 512 bytes ...
    EXPECT_TRUE(writes[8].empty());   // ... then the empty remainder
    EXPECT_EQ(writes[9], HexBytes("1D 49 01"));  // the end check: the printer read it all
    EXPECT_EQ(stream->Stream(),
              Concat({HexBytes("1D 49 01 1D 28 45 02 00 06 02 1B 40 1C 71 02 0D 00 04 00"),
                      Raster(1), HexBytes("40 00 01 00"), Raster(2), HexBytes("1D 49 01")}));

    const auto t = stream->WriteTimes();
    EXPECT_EQ(t[4] - t[3], 3500 + 10);  // erase wait, then the first timer tick
    EXPECT_EQ(t[5], t[4]);              // the first chunk follows its header at once
    EXPECT_EQ(t[6] - t[5], 10 + 10);    // chunk pause, then the gap between images
    EXPECT_EQ(t[8] - t[7], 10);         // pause between chunks
    EXPECT_FALSE(stream->IsOpen());
    EXPECT_EQ(stream->Events().back().op, test::RecordingStream::Op::Close);

    ASSERT_EQ(messages->Boxes().size(), 2u);
    EXPECT_EQ(messages->Boxes()[0].text, base::Message(base::kMsgConfirmNvWrite));
    EXPECT_EQ(messages->Boxes()[0].style, base::MsgStyle::YesNoQuestion);
    EXPECT_EQ(messages->Boxes()[1].text,
              "Complete the NV bit image definition.\r\nPlease wait some paper feed.");
    EXPECT_EQ(messages->Boxes()[1].style, base::MsgStyle::OkExclamation);
    EXPECT_EQ(profile.values["LOGO/Logofile1"], "/logos/first.bmp");
    EXPECT_EQ(profile.values["LOGO/Logofile2"], "/logos/second.bmp");
    EXPECT_EQ(upload->SavedKeyCount(), 2);
}

TEST_F(NvUploadStream, WaitsForTheReplyAtMost500Ms) {
    List(1, "a.bmp", 8, 8);
    auto upload = MakeUpload(PortKind::Serial);
    stream->answers.clear();  // a printer that never answers
    Run(*upload);
    const auto t = stream->WriteTimes();
    EXPECT_EQ(t[1] - t[0], 500);
    EXPECT_EQ(stream->Writes()[1], HexBytes("1B 40"));  // goes on without the reply

    auto answered = MakeUpload(PortKind::Serial);  // reply present: no waiting
    Run(*answered);
    const auto u = stream->WriteTimes();
    EXPECT_EQ(u[1] - u[0], 0);
}

TEST_F(NvUploadStream, StatusAndProgressTexts) {
    List(1, "a.bmp", 512, 24);  // 1536 bytes: three chunks and an empty one
    auto upload = MakeUpload(PortKind::Serial);
    EXPECT_EQ(upload->Progress().status, "Uploading...");
    std::vector<std::string> statuses;
    Run(*upload, [&] {
        const auto& s = upload->Progress().status;
        if (statuses.empty() || statuses.back() != s) statuses.push_back(s);
    });
    EXPECT_EQ(statuses, (std::vector<std::string>{
                            "Uploading...", "Erasing...", "Updating(512/1536)...a.bmp",
                            "Updating(1024/1536)...a.bmp", "Updating(1536/1536)...a.bmp",
                            "Waiting for the printer to confirm..."}));
    EXPECT_EQ(upload->Progress().range, 15);
    EXPECT_EQ(upload->Progress().position, 15);
}

TEST_F(NvUploadStream, ImagesGoOutInLogoNumberOrderAndAreSavedSo) {
    List(7, "seven.bmp", 8, 8);
    List(3, "three.bmp", 16, 8);
    savedKeyCount = 4;
    profile.values["LOGO/Logofile3"] = "old3";
    profile.values["LOGO/Logofile4"] = "old4";
    auto upload = MakeUpload(PortKind::OutputFile);
    EXPECT_EQ(Run(*upload), Outcome::Completed);
    const auto writes = stream->Writes();
    EXPECT_EQ(writes[1], HexBytes("02 00 01 00"));  // logo 3 (16 dots wide) first
    EXPECT_EQ(writes[3], HexBytes("01 00 01 00"));  // then logo 7
    // The converter saw upload positions in sending order: centring flag 1
    // belongs to the lowest number.
    EXPECT_EQ(positions, (std::vector<int>{1, 2}));
    EXPECT_EQ(profile.values, (std::map<std::string, std::string>{
                                  {"LOGO/Logofile1", "/logos/three.bmp"},
                                  {"LOGO/Logofile2", "/logos/seven.bmp"}}));
    EXPECT_EQ(upload->SavedKeyCount(), 2);
}

TEST_F(NvUploadStream, FileOutputHasNoPrinterCheckButTheSameWaits) {
    List(1, "a.bmp", 104, 32);
    auto upload = MakeUpload(PortKind::OutputFile);
    Run(*upload);
    EXPECT_EQ(stream->Stream(), Concat({HexBytes("1C 71 01 0D 00 04 00"), Raster(1)}));
    EXPECT_EQ(stream->CountOf(test::RecordingStream::Op::Read), 0);
    EXPECT_EQ(clock.Waits().front(), 3500);
}

TEST_F(NvUploadStream, EthernetSkipsTheCheckAndWaitsFiveSeconds) {
    List(1, "a.bmp", 8, 8);
    auto upload = MakeUpload(PortKind::Ethernet);
    Run(*upload);
    EXPECT_EQ(stream->Writes()[0], HexBytes("1D 28 45 02 00 06 02"));  // its NV size
    EXPECT_EQ(stream->Writes()[1], HexBytes("1C 71 01"));
    EXPECT_EQ(clock.Waits().front(), 5000);
}

TEST_F(NvUploadStream, ParallelPortGetsTheCheckButNoInitialise) {
    List(1, "a.bmp", 8, 8);
    auto upload = MakeUpload(PortKind::Parallel);
    stream->answers.clear();
    stream->emptyReadResult = -1;  // a write-only port cannot answer
    Run(*upload);
    const auto writes = stream->Writes();
    EXPECT_EQ(writes[0], HexBytes("1D 49 01"));
    EXPECT_EQ(writes[1], HexBytes("1C 71 01"));
}

TEST_F(NvUploadStream, StarPrefixAndGrayMark) {
    star = true;
    gray = true;
    List(1, "a.bmp", 104, 32);
    auto upload = MakeUpload(PortKind::OutputFile);
    Run(*upload);
    const auto writes = stream->Writes();
    EXPECT_EQ(writes[0], HexBytes("1B 1C 71 01"));
    EXPECT_EQ(writes[1], HexBytes("0D A0 04 00"));
    EXPECT_EQ(writes[2].size() + writes[3].size() + writes[4].size() + writes[5].size(), 1664u);
}

TEST_F(NvUploadStream, A1024ByteLogoIsTwoFullChunksAndAnEmptyWrite) {
    List(1, "a.bmp", 512, 16);
    auto upload = MakeUpload(PortKind::OutputFile);
    Run(*upload);
    const auto writes = stream->Writes();
    ASSERT_EQ(writes.size(), 5u) << ToHex(stream->Stream());
    EXPECT_EQ(writes[2].size(), 512u);
    EXPECT_EQ(writes[3].size(), 512u);
    EXPECT_EQ(writes[4].size(), 0u);
    const auto t = stream->WriteTimes();
    EXPECT_EQ(t[3] - t[2], 10);
    EXPECT_EQ(t[4] - t[3], 10);
}

TEST_F(NvUploadStream, CancelDuringImageTwoOfFiveCompletesWithThreeEmptyHeaders) {
    for (int n = 1; n <= 5; ++n) List(n, "l" + std::to_string(n) + ".bmp", 512, 16);
    profile.values["LOGO/Logofile1"] = "kept";
    savedKeyCount = 1;
    auto upload = MakeUpload(PortKind::Serial);
    std::vector<std::string> countdown;
    Run(*upload, [&] {
        if (upload->Progress().imagesBegun == 2) upload->Cancel();
        // The window stays up through the waits, saying what the printer holds.
        const std::string& status = upload->Progress().status;
        if (upload->Progress().transferring && status.rfind("Cancelled", 0) == 0 &&
            (countdown.empty() || countdown.back() != status))
            countdown.push_back(status);
    });
    EXPECT_EQ(upload->GetOutcome(), Outcome::Cancelled);
    const std::string held =
        "Cancelled: the printer holds logos 1..2 of this upload; its "
        "earlier logos are erased. Waiting for the printer... ";
    EXPECT_EQ(countdown,
              (std::vector<std::string>{held + "4 s", held + "3 s", held + "2 s", held + "1 s"}));
    const auto writes = stream->Writes();
    // check, size, init, FS q, two images of header + 512 + 512 + 0, three empty headers
    ASSERT_EQ(writes.size(), 4u + 2 * 4 + 3);
    EXPECT_EQ(writes[8], HexBytes("40 00 02 00"));  // image 2 began ...
    EXPECT_EQ(writes[11].size(), 0u);               // ... and finished
    for (size_t i = 12; i < 15; ++i) EXPECT_EQ(writes[i], HexBytes("00 00 00 00"));
    const auto t = stream->WriteTimes();
    EXPECT_EQ(t[12] - t[11], 10 + 10 + 2 * 1024);  // 2 ms per byte of the interrupted image
    EXPECT_EQ(clock.NowMs() - t[14], 1024);        // then 1 ms per byte
    EXPECT_EQ(profile.values, (std::map<std::string, std::string>{{"LOGO/Logofile1", "kept"}}));
    EXPECT_EQ(upload->SavedKeyCount(), 1);
    // The question, then what the cancel left: no completion message.
    ASSERT_EQ(messages->Boxes().size(), 2u);
    EXPECT_EQ(messages->Boxes()[1].text,
              "Cancelled while the printer was taking data: the printer holds logos 1..2 of this "
              "upload; its earlier logos are erased.\r\nAfter 2048 of 5120 bytes. The logo under way "
              "was finished first. The logos not begun were sent empty; upload again to store them all.");
    EXPECT_FALSE(stream->IsOpen());
}

TEST_F(NvUploadStream, CancelDuringTheLastImageCompletesOnlyOnceItIsWhole) {
    List(1, "a.bmp", 512, 16);
    List(2, "b.bmp", 512, 16);
    auto upload = MakeUpload(PortKind::OutputFile);
    Run(*upload, [&] {
        if (upload->Progress().imagesBegun == 2) upload->Cancel();
    });
    // The image under way finishes: the printer holds both, and the list says so.
    EXPECT_EQ(upload->GetOutcome(), Outcome::Completed);
    std::vector<uint8_t> expected = HexBytes("1C 71 02 40 00 02 00");
    for (uint8_t b : Raster(1)) expected.push_back(b);
    for (uint8_t b : HexBytes("40 00 02 00")) expected.push_back(b);
    for (uint8_t b : Raster(2)) expected.push_back(b);
    EXPECT_EQ(stream->Stream(), expected);
    EXPECT_EQ(profile.values["LOGO/Logofile2"], "/logos/b.bmp");
    EXPECT_EQ(messages->Boxes().back().text,
              "Complete the NV bit image definition.\r\nPlease wait some paper feed.\r\n"
              "Sent, not confirmed: written to a file, no printer has read it yet.");
}

TEST_F(NvUploadStream, CancelBeforeTheFirstImageSendsOnlyEmptyHeaders) {
    List(1, "a.bmp", 8, 8);
    List(2, "b.bmp", 8, 8);
    auto upload = MakeUpload(PortKind::OutputFile);
    Run(*upload, [&] {
        if (upload->GetState() == logo::NvUpload::State::Erasing) upload->Cancel();
    });
    EXPECT_EQ(stream->Stream(), HexBytes("1C 71 02 00 00 00 00 00 00 00 00"));
    EXPECT_EQ(upload->GetOutcome(), Outcome::Cancelled);
    // No image was under way: nothing says the printer was taking data.
    EXPECT_EQ(messages->Boxes().back().text,
              "Cancelled: the printer holds no logo of this upload; its earlier logos are erased.\r\n"
              "After 0 of 16 bytes. The logos not begun were sent empty; upload again to store them all.");
}

TEST_F(NvUploadStream, EmptyListErasesWithoutStarPrefixOrProfileChange) {
    star = true;
    profile.values["LOGO/Logofile1"] = "kept";
    auto upload = MakeUpload(PortKind::Parallel);
    EXPECT_EQ(Run(*upload), Outcome::Erased);
    EXPECT_EQ(stream->Stream(), HexBytes("1D 49 01 1C 71 01 00 00 00 00"));
    ASSERT_EQ(messages->Boxes().size(), 1u);  // no completion message
    EXPECT_EQ(messages->Boxes()[0].text,
              "No file selected. \r\nThis work delete all bitmap image in your printer.");
    EXPECT_EQ(messages->Boxes()[0].style, base::MsgStyle::YesNo);
    EXPECT_EQ(profile.values.size(), 1u);
    EXPECT_FALSE(stream->IsOpen());
}

TEST_F(NvUploadStream, AnswerOtherThanYesTouchesNothing) {
    List(1, "a.bmp", 8, 8);
    auto upload = MakeUpload(PortKind::Serial, base::MsgAnswer::No);
    EXPECT_EQ(Run(*upload), Outcome::Declined);
    EXPECT_TRUE(stream->Events().empty());
}

TEST_F(NvUploadStream, EraseGivesTheLinkOneAttemptAndAnUploadItsRetries) {
    auto erase = MakeUpload(PortKind::Ethernet);
    EXPECT_EQ(Run(*erase), Outcome::Erased);
    EXPECT_EQ(stream->singleAttemptOpens, 1);
    EXPECT_EQ(stream->Stream(), HexBytes("1C 71 01 00 00 00 00 1D 49 01"));
    EXPECT_TRUE(erase->Confirmed());

    List(1, "a.bmp", 8, 8);
    auto upload = MakeUpload(PortKind::Ethernet);
    EXPECT_EQ(Run(*upload), Outcome::Completed);
    EXPECT_EQ(stream->singleAttemptOpens, 0);
    EXPECT_EQ(stream->CountOf(test::RecordingStream::Op::Open), 1);
}

// The "Uploading" window closes after the step that saves the list; the
// completion message must come on a later step, after that window is gone.
TEST_F(NvUploadStream, CompletionMessageComesAfterTheTransferHasEnded) {
    List(1, "a.bmp", 8, 8);
    auto upload = MakeUpload(PortKind::Serial);
    bool shownWhileTransferring = false;
    bool wasTransferring = false;
    size_t boxesWhenTransferEnded = 0;
    Run(*upload, [&] {
        const bool transferring = upload->Progress().transferring;
        if (wasTransferring && !transferring) boxesWhenTransferEnded = messages->Boxes().size();
        if (transferring && messages->Boxes().size() > 1) shownWhileTransferring = true;
        wasTransferring = transferring;
    });
    EXPECT_EQ(upload->GetOutcome(), Outcome::Completed);
    EXPECT_FALSE(shownWhileTransferring);
    EXPECT_EQ(boxesWhenTransferEnded, 1u);  // only the question so far
    ASSERT_EQ(messages->Boxes().size(), 2u);
    EXPECT_EQ(messages->Boxes()[1].text,
              "Complete the NV bit image definition.\r\nPlease wait some paper feed.");
}

// Every failure of the upload: its message, its log lines, and a closed port.
#include "UploadFixture.h"

#include "base/Messages.h"

using namespace korva;
using korva::test::HexBytes;
using Outcome = logo::NvUpload::Outcome;
using port::PortKind;
using base::MsgStyle;

class NvUploadFailure : public test::UploadTest {
protected:
    void ListTwo() {
        List(1, "a.bmp", 104, 32);
        List(2, "b.bmp", 512, 8);
    }
    /// The one box after the question.
    void ExpectBox(const std::string& text, MsgStyle style) {
        ASSERT_EQ(messages->Boxes().size(), 2u);
        EXPECT_EQ(messages->Boxes()[1].text, text);
        EXPECT_EQ(messages->Boxes()[1].style, style);
    }
};

TEST_F(NvUploadFailure, AListedFileThatNoLongerLoadsIsNamedAndNothingIsSent) {
    ListTwo();
    rasters.erase("/logos/b.bmp");  // deleted after it was listed
    auto upload = MakeUpload(PortKind::Serial);
    EXPECT_EQ(Run(*upload), Outcome::FileUnreadable);
    EXPECT_EQ(upload->UnreadableFile(), "/logos/b.bmp");
    EXPECT_TRUE(stream->Events().empty());  // port never opened
    ExpectBox("File open error!!\r\n(/logos/b.bmp)", MsgStyle::OkExclamation);
    EXPECT_TRUE(profile.values.empty());
}

TEST_F(NvUploadFailure, OpenFailureMessagesDependOnPortKindAndRun) {
    struct Case {
        PortKind kind;
        bool erase;
        std::string text;
        MsgStyle style;
    };
    const std::vector<Case> cases = {
        {PortKind::Serial, false, "ERROR[2] - Open port or file.", MsgStyle::OkExclamation},
        {PortKind::Usb, false, "ERROR[2] - Open port or file.", MsgStyle::OkExclamation},
        {PortKind::File, false, "ERROR[2] - Open port or file.", MsgStyle::OkExclamation},
        {PortKind::Serial, true, "ERROR : Port open.", MsgStyle::OkExclamation},
        {PortKind::Parallel, false, "ERROR : Port open.", MsgStyle::OkExclamation},
        {PortKind::Parallel, true, "ERROR : Port open.", MsgStyle::OkExclamation},
        {PortKind::Ethernet, false, "ERROR : Port open.", MsgStyle::Ok},
        {PortKind::Ethernet, true, "ERROR[2] - Open port or file.", MsgStyle::Ok},
    };
    for (const Case& c : cases) {
        entries.clear();
        if (!c.erase) List(1, "a.bmp", 8, 8);
        auto upload = MakeUpload(c.kind);
        stream->failOpen = true;
        EXPECT_EQ(Run(*upload), Outcome::PortOpenFailed);
        ExpectBox(c.text, c.style);
        EXPECT_EQ(stream->CountOf(test::RecordingStream::Op::Write), 0);
    }
}

TEST_F(NvUploadFailure, PrinterCheckAndInitialiseFailures) {
    ListTwo();
    auto upload = MakeUpload(PortKind::Serial);
    stream->failWriteNumber = 1;  // GS I 1
    EXPECT_EQ(Run(*upload), Outcome::WriteFailed);
    ExpectBox("ERROR : Write to port.", MsgStyle::OkExclamation);
    EXPECT_FALSE(stream->IsOpen());

    auto again = MakeUpload(PortKind::Usb);
    stream->failWriteNumber = 3;  // ESC @, after the printer check and the NV size request
    EXPECT_EQ(Run(*again), Outcome::PrinterCheckFailed);
    ExpectBox("ERROR : Printer check.", MsgStyle::OkExclamation);
    EXPECT_EQ(stream->Stream(), HexBytes("1D 49 01 1D 28 45 02 00 06 02"));
    EXPECT_FALSE(stream->IsOpen());
}

TEST_F(NvUploadFailure, DefineCommandFailureIsLoggedWithTheSystemError) {
    ListTwo();
    auto upload = MakeUpload(PortKind::OutputFile);
    stream->failWriteNumber = 1;
    EXPECT_EQ(Run(*upload), Outcome::CommunicationError);
    ExpectBox("Communication error. Can not transimitted.", MsgStyle::OkExclamation);
    EXPECT_NE(LogText().find("] CProgress OnInitDialog[5]\r\n"), std::string::npos) << LogText();
    EXPECT_TRUE(profile.values.empty());
    EXPECT_FALSE(stream->IsOpen());
}

TEST_F(NvUploadFailure, HeaderFailureStopsBeforeTheNextImageAndLogsTheHeader) {
    ListTwo();
    auto upload = MakeUpload(PortKind::OutputFile);
    stream->failWriteNumber = 4;  // FS q, header 1, data 1, header 2
    EXPECT_EQ(Run(*upload), Outcome::CommunicationError);
    ExpectBox("Communication error. Can not transimitted.", MsgStyle::OkExclamation);
    EXPECT_EQ(stream->Writes().size(), 3u);
    const std::string text = LogText();
    EXPECT_NE(text.find("] CPrograss writeInstruction[0]\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("] CPrograss WriteInstruction [40-00-01-00]\n\r\n"), std::string::npos)
        << text;
    EXPECT_TRUE(profile.values.empty());
    EXPECT_FALSE(stream->IsOpen());
}

TEST_F(NvUploadFailure, ALostChunkIsReportedInsteadOfCompletion) {
    ListTwo();
    auto upload = MakeUpload(PortKind::OutputFile);
    stream->failWriteNumber = 3;  // data of image 1
    EXPECT_EQ(Run(*upload), Outcome::CommunicationError);
    ExpectBox("Communication error. Can not transimitted.", MsgStyle::OkExclamation);
    EXPECT_TRUE(profile.values.empty());
}

TEST_F(NvUploadFailure, EraseWriteFailure) {
    auto upload = MakeUpload(PortKind::OutputFile);
    stream->failWriteNumber = 1;
    EXPECT_EQ(Run(*upload), Outcome::WriteFailed);
    ExpectBox("ERROR : Write to port.", MsgStyle::OkExclamation);
    EXPECT_FALSE(stream->IsOpen());
}

TEST_F(NvUploadFailure, EmptyHeaderFailureWhileCompletingACancel) {
    ListTwo();
    List(3, "c.bmp", 8, 8);
    auto upload = MakeUpload(PortKind::OutputFile);
    stream->failWriteNumber = 7;  // FS q, h1, d1, h2, d2, empty rest; then the first empty header
    Run(*upload, [&] {
        if (upload->Progress().imagesBegun == 2) upload->Cancel();
    });
    EXPECT_EQ(upload->GetOutcome(), Outcome::WriteFailed);
    ExpectBox("ERROR : Write to port.", MsgStyle::OkExclamation);
    EXPECT_FALSE(stream->IsOpen());
}

TEST_F(NvUploadFailure, ARasterItsHeaderCannotDescribeIsRefusedBeforeSending) {
    List(1, "a.bmp", 104, 32);
    rasters["/logos/a.bmp"].data.pop_back();  // one byte short of 13 x 4 x 8
    auto upload = MakeUpload(PortKind::OutputFile);
    EXPECT_EQ(Run(*upload), Outcome::FileUnreadable);
    EXPECT_TRUE(stream->Events().empty());

    entries.clear();
    gray = true;
    List(1, "wide.bmp", 0x2000 * 8, 8);  // x = 0x2000 would lose a bit to the gray mark
    auto wide = MakeUpload(PortKind::OutputFile);
    EXPECT_EQ(Run(*wide), Outcome::ImageTooLarge);
    ExpectBox(
        "The image is too large for an NV bit image: 65536 x 8 dots (gray print: at most "
        "65528 dots wide).\r\n(/logos/wide.bmp)",
        MsgStyle::OkExclamation);
    EXPECT_TRUE(stream->Events().empty());
}

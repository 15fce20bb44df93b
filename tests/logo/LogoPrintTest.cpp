// Printing stored logos: the command stream per port kind, its 300 ms pacing,
// the plan, cancel and every failure.
#include "logo/LogoPrint.h"

#include <gtest/gtest.h>

#include "support/RecordedMessages.h"
#include "support/RecordingStream.h"

using namespace korva;
using korva::test::HexBytes;
using logo::LogoPrint;
using logo::PrintSize;
using port::PortKind;
using Outcome = LogoPrint::Outcome;

class LogoPrintTest : public ::testing::Test {
protected:
    std::unique_ptr<LogoPrint> Make(PortKind kind, logo::LogoPrintSettings settings) {
        stream = std::make_unique<test::RecordingStream>(kind, clock);
        stream->answers = {{{0x1D, 0x49, 0x01}, {0x20}}};  // a printer that answers every ID request
        return std::make_unique<LogoPrint>(*stream, clock, log, std::move(settings));
    }
    static logo::LogoPrintSettings Selection(std::string text) {
        logo::LogoPrintSettings s;
        s.all = false;
        s.selection = std::move(text);
        return s;
    }
    Outcome Run(LogoPrint& print, const std::function<void()>& between = {}) {
        base::RunSteps(print, clock, between);
        return print.GetOutcome();
    }

    base::RecordingClock clock;
    base::CErrorLog log;
    test::RecordedMessages messages;
    std::unique_ptr<test::RecordingStream> stream;
};

TEST_F(LogoPrintTest, AllPrints255CommandsOnEthernet300MsApart) {
    auto print = Make(PortKind::Ethernet, {});
    EXPECT_EQ(Run(*print), Outcome::Completed);
    const auto writes = stream->Writes();
    ASSERT_EQ(writes.size(), 256u);
    for (int n = 1; n <= 255; ++n)
        EXPECT_EQ(writes[n - 1], (std::vector<uint8_t>{0x1C, 0x70, static_cast<uint8_t>(n), 0}));
    EXPECT_EQ(writes.back(), HexBytes("1D 49 01"));  // the end check after the pause
    const auto t = stream->WriteTimes();
    for (size_t i = 1; i + 1 < t.size(); ++i) ASSERT_EQ(t[i] - t[i - 1], 300);
    EXPECT_EQ(t.back() - t[254], 300 + 1000);  // the last tick, then the pause
    EXPECT_EQ(clock.Waits().back(), 1000);  // pause after the last logo
    EXPECT_EQ(print->StatusText(), "Printing... 255/255");
    EXPECT_EQ(print->Total(), 255);
    EXPECT_TRUE(messages.Boxes().empty());
    EXPECT_FALSE(stream->IsOpen());
}

TEST_F(LogoPrintTest, ExampleSelectionWithDoubleWidthAndHeaders) {
    auto settings = Selection(",3,9-7,-2,");
    settings.size = PrintSize::DoubleWidth;
    settings.header = true;
    auto print = Make(PortKind::Serial, settings);
    std::vector<std::string> statuses;
    Run(*print, [&] { statuses.push_back(print->StatusText()); });
    std::vector<uint8_t> expected = HexBytes("1D 49 01 1B 40");
    for (int n : {3, 7, 8, 9, 1, 2}) {
        const std::string line = "--- Logo " + std::to_string(n) + " ---\n";
        expected.insert(expected.end(), line.begin(), line.end());
        for (uint8_t b : {0x1C, 0x70, n, 0x01}) expected.push_back(b);
    }
    for (uint8_t b : {0x1D, 0x49, 0x01}) expected.push_back(b);  // the end check
    EXPECT_EQ(stream->Stream(), expected);
    EXPECT_EQ(print->Total(), 6);
    EXPECT_EQ(print->Count(), 6);
    EXPECT_EQ(print->StatusText(), "Printing... 6/255");
    EXPECT_EQ(statuses.front(), " ");
}

TEST_F(LogoPrintTest, PreparationByPortKind) {
    auto lpt = Make(PortKind::Parallel, Selection("5"));
    Run(*lpt);
    EXPECT_EQ(stream->Stream(), HexBytes("1D 49 01 1C 70 05 00"));

    auto usb = Make(PortKind::Usb, Selection("5"));
    Run(*usb);
    EXPECT_EQ(stream->Stream(), HexBytes("1D 49 01 1B 40 1C 70 05 00 1D 49 01"));

    auto net = Make(PortKind::Ethernet, Selection("5"));
    Run(*net);
    EXPECT_EQ(stream->Stream(), HexBytes("1C 70 05 00 1D 49 01"));
}

TEST_F(LogoPrintTest, ReplyWaitIsAtMost500Ms) {
    auto print = Make(PortKind::Serial, Selection("5"));
    stream->answers.clear();
    Run(*print);
    const auto t = stream->WriteTimes();
    EXPECT_EQ(t[1] - t[0], 500);  // GS I 1 .. ESC @
    EXPECT_EQ(t[2] - t[1], 300);  // first tick of the printing timer
}

TEST_F(LogoPrintTest, StarEmulationAndOverlappingRanges) {
    auto settings = Selection("1-255,1-255");
    settings.starEmulation = true;
    auto print = Make(PortKind::Ethernet, settings);
    Run(*print);
    const auto writes = stream->Writes();
    ASSERT_EQ(writes.size(), 511u);
    EXPECT_EQ(writes[255], HexBytes("1B 1C 70 01 00"));
    EXPECT_EQ(print->StatusText(), "Printing... 510/255");
}

TEST_F(LogoPrintTest, BadSelectionSendsNothing) {
    for (const char* text : {"0", "256", "1,,2", "1--3", "a", "", ","}) {
        auto print = Make(PortKind::Serial, Selection(text));
        test::RecordedMessages boxes;
        EXPECT_EQ(Run(*print), Outcome::BadSelection) << text;
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"NV image number is incorrect."});
        EXPECT_EQ(boxes.Boxes()[0].style, base::MsgStyle::OkExclamation);
        EXPECT_TRUE(stream->Events().empty()) << text;
    }
}

TEST_F(LogoPrintTest, CancelAfterAFewLogosStopsTheStream) {
    auto print = Make(PortKind::Serial, {});
    Run(*print, [&] {
        if (print->Count() == 3) print->Cancel();
    });
    EXPECT_EQ(print->GetOutcome(), Outcome::Cancelled);
    EXPECT_EQ(stream->Stream(), HexBytes("1D 49 01 1B 40 1C 70 01 00 1C 70 02 00 1C 70 03 00"));
    EXPECT_FALSE(stream->IsOpen());
}

TEST_F(LogoPrintTest, Failures) {
    auto closed = Make(PortKind::Serial, {});
    stream->failOpen = true;
    EXPECT_EQ(Run(*closed), Outcome::PortOpenFailed);
    EXPECT_EQ(messages.Texts().back(), "ERROR : Port open.");

    auto noCheck = Make(PortKind::Parallel, {});
    stream->failWriteNumber = 1;
    EXPECT_EQ(Run(*noCheck), Outcome::WriteFailed);
    EXPECT_EQ(messages.Texts().back(), "ERROR : Write to port.");
    EXPECT_FALSE(stream->IsOpen());

    auto noInit = Make(PortKind::Serial, {});
    stream->failWriteNumber = 2;
    EXPECT_EQ(Run(*noInit), Outcome::WriteFailed);
    EXPECT_EQ(messages.Texts().back(), "ERROR : Write to port.");

    // A failed header skips its logo's command and ends the run.
    auto settings = Selection("4-6");
    settings.header = true;
    auto midway = Make(PortKind::Ethernet, settings);
    stream->failWriteNumber = 3;  // header of logo 5
    EXPECT_EQ(Run(*midway), Outcome::CommunicationError);
    EXPECT_EQ(messages.Texts().back(), "Communication error. Can not transimitted.");
    EXPECT_EQ(stream->Writes().size(), 2u);
    EXPECT_FALSE(stream->IsOpen());
    for (const auto& box : messages.Boxes()) EXPECT_EQ(box.style, base::MsgStyle::OkExclamation);
}

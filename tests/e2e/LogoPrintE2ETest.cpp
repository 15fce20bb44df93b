// Printing stored logos end to end: korva-sim over a pty holds the logos,
// decodes the print commands and renders the paper.
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>

#include <csignal>
#include <filesystem>

#include "LogoE2E.h"
#include "base/Clock.h"
#include "logo/LogoPrint.h"
#include "support/RecordedMessages.h"

using namespace korva;
using namespace korva::test;
using Outcome = logo::LogoPrint::Outcome;

namespace {

class LogoPrintE2E : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApp();
        ASSERT_TRUE(sim.WithPaper("pgm").Start({"--serial"})) << sim.Error().toStdString();
        port = SimSerialPort(sim, log);
    }
    /// Stores logos 1..3 directly, as an earlier upload would have.
    void StoreThreeLogos() {
        const int fd = OpenRawTty(sim.SerialPath());
        ASSERT_GE(fd, 0);
        QByteArray define = Bytes("1c 71 03");
        for (int n = 0; n < 3; ++n) define += Bytes("02 00 01 00") + QByteArray(16, char(0xFF));
        ASSERT_TRUE(WriteAll(fd, define));
        ::close(fd);
        sim.WaitForState([](const QJsonObject& s) { return s["nv_images"].toArray().size() == 3; });
    }
    Outcome Print(logo::LogoPrintSettings settings, base::Clock& clock,
                  const std::function<void(logo::LogoPrint&)>& between = {}) {
        logo::LogoPrint print(*port, clock, log, std::move(settings));
        base::RunSteps(print, clock, [&] {
            if (between) between(print);
        });
        return print.GetOutcome();
    }
    /// The state once connection `index` has brought `size` bytes.
    QJsonObject WaitReceived(int index, qsizetype size) {
        return sim.WaitForState(
            [&](const QJsonObject& s) { return SimHarness::Received(s, index).size() >= size; });
    }
    QJsonObject WaitPrinted(int count, int timeoutMs = 5000) {
        return sim.WaitForState(
            [count](const QJsonObject& s) { return s["printed"].toArray().size() >= count; },
            timeoutMs);
    }

    SimHarness sim;
    base::CErrorLog log;
    RecordedMessages messages;
    std::unique_ptr<port::CPorts> port;
};

/// Tick waits twenty times shorter: the 300 ms pacing is checked on a
/// recording clock in the unit tests; here it lets all 255 commands reach the
/// simulator without 77 s of waiting. The final 1 s stays whole, so the pty is
/// read before the port closes (closing a pty drops what is still unread).
class ShortClock final : public base::Clock {
public:
    void SleepMs(int ms) override { base::DefaultClock().SleepMs(ms >= 1000 ? ms : ms / 20); }
    int64_t NowMs() override { return base::DefaultClock().NowMs(); }
};

TEST_F(LogoPrintE2E, AllPrints255CommandsAndThePaperShowsTheStoredLogos) {
    StoreThreeLogos();
    ShortClock fast;
    logo::LogoPrintSettings settings;
    settings.size = logo::PrintSize::Quadruple;
    EXPECT_EQ(Print(settings, fast), Outcome::Completed);

    QByteArray expected = Bytes("1d 49 01 1b 40");
    for (int n = 1; n <= 255; ++n) expected += Bytes("1c 70") + QByteArray(1, char(n)) + Bytes("03");
    expected += Bytes("1d 49 01");  // the end check the printer answered
    const QJsonObject state = WaitReceived(1, expected.size());
    // The first connection stored the logos; printing is the second.
    EXPECT_EQ(SimHarness::Received(state, 1).toHex(' ').toStdString(), expected.toHex(' ').toStdString());
    const QJsonArray printed = state["printed"].toArray();
    ASSERT_EQ(printed.size(), 255);
    for (int n = 1; n <= 255; ++n) {
        EXPECT_EQ(printed[n - 1].toObject(),
                  (QJsonObject{{"logo", n}, {"size", 3}, {"defined", n <= 3}}));
    }
    QFile paper(sim.PaperPath());
    ASSERT_TRUE(paper.open(QIODevice::ReadOnly));
    const QByteArray pgm = paper.readAll();
    // Three 16 x 8 logos at quadruple size: 32 x 16 dark dots each.
    EXPECT_EQ(pgm.count(char(0)), 3 * 32 * 16);
}

/// The dark area of the paper from row `fromRow` down: the newest print.
struct DarkBox {
    int width = 0, height = 0, bottom = -1;
};
DarkBox DarkBelow(const QString& pgmPath, int fromRow) {
    QFile file(pgmPath);
    DarkBox box;
    if (!file.open(QIODevice::ReadOnly)) return box;
    QList<QByteArray> header;
    while (header.size() < 4 && !file.atEnd())
        for (const QByteArray& word : file.readLine().simplified().split(' '))
            if (!word.isEmpty()) header << word;
    if (header.size() != 4 || header[0] != "P5") return box;
    const int width = header[1].toInt();
    const int height = header[2].toInt();
    const QByteArray pixels = file.readAll();
    if (pixels.size() < qsizetype(width) * height) return box;
    int left = width, right = -1, top = height, bottom = -1;
    for (int y = fromRow; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (uint8_t(pixels[y * width + x]) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right >= 0) box = {right - left + 1, bottom - top + 1, bottom};
    return box;
}

TEST_F(LogoPrintE2E, ThePaperShowsALogoAtEachOfTheFourSizes) {
    StoreThreeLogos();  // 16 x 8 dots each, all black
    ShortClock fast;
    const std::vector<std::pair<logo::PrintSize, std::pair<int, int>>> sizes = {
        {logo::PrintSize::Normal, {16, 8}},
        {logo::PrintSize::DoubleWidth, {32, 8}},
        {logo::PrintSize::DoubleHeight, {16, 16}},
        {logo::PrintSize::Quadruple, {32, 16}},
    };
    int fromRow = 0;
    int printed = 0;
    for (const auto& [size, dots] : sizes) {
        logo::LogoPrintSettings settings;
        settings.all = false;
        settings.selection = "2";
        settings.size = size;
        ASSERT_EQ(Print(settings, fast), Outcome::Completed);
        WaitPrinted(++printed);
        DarkBox box;
        sim.WaitForState([&](const QJsonObject&) {
            box = DarkBelow(sim.PaperPath(), fromRow);
            return box.width == dots.first && box.height == dots.second;
        });
        EXPECT_EQ(box.width, dots.first) << "size " << int(size);
        EXPECT_EQ(box.height, dots.second) << "size " << int(size);
        fromRow = box.bottom + 1;
    }
}

TEST_F(LogoPrintE2E, ExampleSelectionWithDoubleWidthAndHeadersGivesTheExactSequence) {
    StoreThreeLogos();
    logo::LogoPrintSettings settings;
    settings.all = false;
    settings.selection = ",3,9-7,-2,";
    settings.size = logo::PrintSize::DoubleWidth;
    settings.header = true;
    EXPECT_EQ(Print(settings, base::DefaultClock()), Outcome::Completed);

    QByteArray expected = Bytes("1d 49 01 1b 40");
    for (int n : {3, 7, 8, 9, 1, 2}) {
        expected += QByteArray("--- Logo ") + QByteArray::number(n) + " ---\n";
        expected += Bytes("1c 70") + QByteArray(1, char(n)) + Bytes("01");
    }
    expected += Bytes("1d 49 01");  // the end check the printer answered
    const QJsonObject state = WaitReceived(1, expected.size());
    // The first connection stored the logos; printing is the second.
    EXPECT_EQ(SimHarness::Received(state, 1), expected);
    const QJsonArray lines = state["lines"].toArray();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0].toString(), "--- Logo 3 ---");
    EXPECT_EQ(lines[5].toString(), "--- Logo 2 ---");
}

TEST_F(LogoPrintE2E, CancelAfterAFewLogosStopsTheStream) {
    EXPECT_EQ(Print({}, base::DefaultClock(),
                    [](logo::LogoPrint& print) {
                        if (print.Count() == 3) print.Cancel();
                    }),
              Outcome::Cancelled);
    EXPECT_FALSE(port->IsOpen());
    // Nothing follows the third command, even well after a tick would have come.
    const QJsonObject state = WaitPrinted(4, 1000);
    EXPECT_EQ(state["printed"].toArray().size(), 3);
    EXPECT_EQ(SimHarness::Received(state, 0),
              Bytes("1d 49 01 1b 40 1c 70 01 00 1c 70 02 00 1c 70 03 00"));
}

TEST_F(LogoPrintE2E, CommandLinePrint) {
    StoreThreeLogos();
    TestDir dir;
    // Through a link to the printer's line, as a udev alias or the demo's ttyKORVA reaches it.
    const std::string link = (dir / "ttyKORVA").string();
    std::filesystem::create_symlink(sim.SerialPath().toStdString(), link);
    std::string err;
    ASSERT_EQ(RunKorva(dir, "logo print --port " + link +
                                " --flow none --select 2-1 --size double-height --star", &err), 0)
        << err;
    const QByteArray stream = Bytes("1d 49 01 1b 40 1b 1c 70 01 02 1b 1c 70 02 02 1d 49 01");
    const QJsonObject state = WaitReceived(1, stream.size());
    EXPECT_EQ(SimHarness::Received(state, 1), stream);
    EXPECT_NE(err.find("Printing... 2/2"), std::string::npos) << err;  // the selected logos
}

TEST_F(LogoPrintE2E, CtrlCStopsTheCommandLinePrintBetweenLogos) {
    QProcess korva;
    korva.setProgram(KORVA_BIN_DIR "/korva");
    korva.setArguments({"logo", "print", "--port", sim.SerialPath(), "--flow", "none", "--all"});
    korva.start();
    ASSERT_TRUE(korva.waitForStarted());
    WaitPrinted(3);
    ::kill(static_cast<pid_t>(korva.processId()), SIGINT);
    ASSERT_TRUE(korva.waitForFinished(5000));
    EXPECT_EQ(korva.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(korva.exitCode(), 130);  // cancelled by SIGINT, as shells report it
    const QString err = QString::fromUtf8(korva.readAllStandardError());
    const QRegularExpressionMatch match =
        QRegularExpression("cancelled after (\\d+) logos").match(err);
    ASSERT_TRUE(match.hasMatch()) << err.toStdString();
    // Exactly the logos it reported, and nothing after them.
    const int count = match.captured(1).toInt();
    const QJsonObject state = WaitPrinted(count + 1, 1000);
    EXPECT_EQ(state["printed"].toArray().size(), count);
}

}  // namespace

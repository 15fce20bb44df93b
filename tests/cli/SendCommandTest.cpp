// `korva send` as a subprocess: a file delivered byte-exact over a pty with
// the line settings asked for, to korva-sim over a serial link and over TCP,
// to a USB printer of a fake tree, and every failure with its exit code.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <csignal>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "FakeDeviceTree.h"
#include "KorvaProcess.h"
#include "support/PtyPair.h"
#include "support/SimHarness.h"
#include "support/TestDir.h"

using korva::test::FakeDeviceTree;
using korva::test::KorvaProcess;
using korva::test::KorvaResult;
using korva::test::PtyPair;
using korva::test::SimHarness;

namespace {

/// Every byte value, line ends and XON/XOFF included, over more than two write pieces.
std::vector<uint8_t> BinaryPayload(size_t n = 10000) {
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
    return out;
}

/// A command stream a printer makes sense of: initialise, text lines, feed.
std::vector<uint8_t> TextStream() {
    std::string text = "\x1b@";  // ESC @: initialise
    for (int line = 0; line < 200; ++line) text += "KORVA send line " + std::to_string(line) + "\n";
    text +=
        "\x1b"
        "d\x03";  // ESC d 3: feed three lines
    return {text.begin(), text.end()};
}

std::string WriteFile(const korva::test::TestDir& dir, const std::string& name,
                      const std::vector<uint8_t>& bytes) {
    const auto path = dir / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    return path.string();
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// Black pixels of a binary PGM (P5) image; -1 when it cannot be read whole.
long CountBlackPixels(const std::string& path) {
    std::ifstream paper(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    paper >> magic >> width >> height >> maxValue;
    paper.get();
    if (magic != "P5" || width <= 0 || height <= 0) return -1;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    paper.read(reinterpret_cast<char*>(pixels.data()), static_cast<long>(pixels.size()));
    if (!paper.good()) return -1;
    return std::count(pixels.begin(), pixels.end(), uint8_t{0});
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class SendCommand : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(pty.Ok()); }

    /// Runs `korva send` at the pty's slave while the test reads the master.
    KorvaResult SendOverPty(const QStringList& lineOptions, const std::vector<uint8_t>& payload,
                            std::vector<uint8_t>& arrived) {
        const std::string file = WriteFile(dir, "stream.bin", payload);
        KorvaProcess korva;
        const QStringList args =
            QStringList{"send", "--port", QString::fromStdString(pty.SlavePath())} + lineOptions +
            QStringList{QString::fromStdString(file)};
        if (!korva.Start(args)) return {};
        arrived = pty.Receive(payload.size(), 30000);
        return korva.Finish();
    }
    termios Line() const {
        termios t{};
        tcgetattr(pty.Master(), &t);  // the master reports its slave's settings
        return t;
    }

    PtyPair pty;
    korva::test::TestDir dir;
};

}  // namespace

TEST_F(SendCommand, DeliversTheFileByteExactWithTheLineAskedFor) {
    const std::vector<uint8_t> payload = BinaryPayload();
    struct Case {
        QStringList options;
        speed_t speed;
        bool twoStopBits;
        bool rtsCts;
    };
    const std::vector<Case> cases = {
        {{"--baud", "9600", "--stop-bits", "2", "--flow", "hw"}, B9600, true, true},
        {{"--baud", "38400", "--stop-bits", "1", "--flow", "none"}, B38400, false, false},
        {{"--baud=57600", "--flow=sw", "--model", "KORVA20S"}, B57600, false, false},
        {{"--flow", "none"}, B115200, false, false},  // the usual line otherwise
    };
    for (const Case& c : cases) {
        const std::string name = c.options.join(' ').toStdString();
        std::vector<uint8_t> arrived;
        const KorvaResult r = SendOverPty(c.options, payload, arrived);
        ASSERT_EQ(r.exitCode, 0) << name << "\n" << r.err;
        EXPECT_EQ(arrived, payload) << name;
        EXPECT_TRUE(Contains(r.err, "10000 bytes sent to " + pty.SlavePath())) << r.err;
        const termios line = Line();
        EXPECT_EQ(cfgetospeed(&line), c.speed) << name;
        EXPECT_EQ((line.c_cflag & CSTOPB) != 0, c.twoStopBits) << name;
        EXPECT_EQ((line.c_cflag & CRTSCTS) != 0, c.rtsCts) << name;
        EXPECT_FALSE(line.c_oflag & OPOST) << name;  // no output processing: bytes as they are
        EXPECT_FALSE(line.c_lflag & (ICANON | ECHO)) << name;
    }
}

TEST_F(SendCommand, SevenBitsEvenParityStillOpensAPty) {
    // A pty keeps 8 data bits and no parity whatever is asked; the open must not fail on it.
    const std::vector<uint8_t> payload = TextStream();
    std::vector<uint8_t> arrived;
    const KorvaResult r =
        SendOverPty({"--data-bits", "7", "--parity", "even", "--baud", "19200", "--flow", "none"},
                    payload, arrived);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(arrived, payload);
    const termios line = Line();
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B19200));
}

TEST_F(SendCommand, EmptyFileOpensAndClosesThePort) {
    std::vector<uint8_t> arrived;
    const KorvaResult r = SendOverPty({"--baud", "9600", "--flow", "none"}, {}, arrived);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.err, "0 bytes sent")) << r.err;
    const termios line = Line();
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B9600));
}

TEST_F(SendCommand, FailuresNameTheirCauseAndExitNonZero) {
    const std::string file = WriteFile(dir, "stream.bin", TextStream());
    const QString slave = QString::fromStdString(pty.SlavePath());
    KorvaResult r = KorvaProcess().Run({"send", "--port", slave, (dir / "missing.bin").c_str()});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(Contains(r.err, "cannot read file " + (dir / "missing.bin").string())) << r.err;
    r = KorvaProcess().Run({"send", "--port", slave, dir.path().c_str()});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(Contains(r.err, "Is a directory")) << r.err;

    r = KorvaProcess().Run({"send", "--port", "/dev/ttyKORVA-none", file.c_str()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "cannot open /dev/ttyKORVA-none")) << r.err;
    r = KorvaProcess().Run({"send", "--port", file.c_str(), file.c_str()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "is not a serial or parallel device")) << r.err;
    // The pty multiplexer takes any bytes and goes nowhere: refused before a byte is sent.
    r = KorvaProcess().Run({"send", "--port", "/dev/ptmx", file.c_str()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.err, "/dev/ptmx is not a printer port (it is the pseudo-terminal multiplexer"))
        << r.err;

    {
        // Another program holds the line: refused, not shared.
        const int holder = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(holder, 0);
        ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
        r = KorvaProcess().Run({"send", "--port", slave, "--flow", "none", file.c_str()});
        int exclusive = -1;
        ASSERT_EQ(::ioctl(holder, TIOCGEXCL, &exclusive), 0);
        ::close(holder);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(Contains(r.err, "(another program, such as a print spooler, holds it)")) << r.err;
        EXPECT_EQ(exclusive, 0) << "the refused attempt left the holder's line exclusive";
    }
    EXPECT_TRUE(pty.Receive(1, 200).empty()) << "nothing reaches the line on a failure";
}

TEST_F(SendCommand, UsageErrors) {
    const std::string file = WriteFile(dir, "stream.bin", TextStream());
    const QString slave = QString::fromStdString(pty.SlavePath());
    const std::vector<std::pair<QStringList, std::string>> cases = {
        {{"send", file.c_str()}, "--port is required"},
        {{"send", "--port", slave}, "give exactly one file"},
        {{"send", "--port", slave, file.c_str(), file.c_str()}, "give exactly one file"},
        {{"send", "--port", slave, "--parity", "mark", file.c_str()}, "parity"},
        {{"send", "--port", slave, "--baud", "12345", file.c_str()}, "12345"},
        {{"send", "--port", slave, "--speed", "9600", file.c_str()}, "unknown option --speed"},
        {{"send", "--port", "FILE", file.c_str()}, "FILE is no printer port"},
    };
    for (const auto& [args, text] : cases) {
        const KorvaResult r = KorvaProcess().Run(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(Contains(r.err, text)) << args.join(' ').toStdString() << "\n" << r.err;
    }
    EXPECT_TRUE(pty.Receive(1, 200).empty());
    const KorvaResult help = KorvaProcess().Run({"send", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.starts_with("usage: korva send --port P")) << help.out;
    EXPECT_TRUE(Contains(help.out, "--flow F")) << help.out;
}

TEST(SendToSimulator, SerialLinkReceivesTheWholeStream) {
    korva::test::TestDir dir;
    const std::string link = (dir / "korva-printer").string();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial-link", QString::fromStdString(link)}))
        << sim.Error().toStdString();
    const std::vector<uint8_t> payload = TextStream();
    const std::string file = WriteFile(dir, "stream.prn", payload);
    const KorvaResult r =
        KorvaProcess().Run({"send", "--port", QString::fromStdString(link), "--baud", "19200",
                            "--stop-bits", "2", "--flow", "hw", file.c_str()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QByteArray expected(reinterpret_cast<const char*>(payload.data()),
                              static_cast<int>(payload.size()));
    const QJsonObject state = sim.WaitForState(
        [&](const QJsonObject& s) { return SimHarness::Received(s, 0).size() >= expected.size(); });
    EXPECT_EQ(SimHarness::Received(state, 0), expected);
    EXPECT_EQ(state["line"].toObject()["baud"].toInt(), 19200);
    EXPECT_EQ(state["line"].toObject()["stop_bits"].toInt(), 2);
    EXPECT_EQ(state["line"].toObject()["flow"].toString(), "rtscts");
}

TEST(SendToSimulator, EthernetPrinterReceivesTheWholeStream) {
    korva::test::TestDir dir;
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"})) << sim.Error().toStdString();
    const std::vector<uint8_t> payload = TextStream();
    const std::string file = WriteFile(dir, "stream.prn", payload);
    const KorvaResult r =
        KorvaProcess().Run({"send", "--port", "ETHERNET_II", "--ip", "127.0.0.1", "--tcp-port",
                            QString::number(sim.TcpPort()), file.c_str()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QByteArray expected(reinterpret_cast<const char*>(payload.data()),
                              static_cast<int>(payload.size()));
    const QJsonObject state = sim.WaitForState(
        [&](const QJsonObject& s) { return SimHarness::Received(s, 0).size() >= expected.size(); });
    EXPECT_EQ(SimHarness::Received(state, 0), expected);
}

// A printer that stopped reading holds a write for as long as the port's
// deadline allows; Ctrl-C must not wait for it, on a pty or over TCP.
TEST(SendToSimulator, CtrlCEndsAWriteTheStalledPrinterHolds) {
    const struct {
        const char* name;
        QStringList simOptions;
        bool tcp;
    } rows[] = {
        {"serial", {"--serial", "--stall-after-bytes", "2000"}, false},
        {"tcp", {"--tcp", "127.0.0.1:0", "--stall-after-bytes", "2000", "--tcp-receive-buffer", "4096"}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        korva::test::TestDir dir;
        SimHarness sim;
        ASSERT_TRUE(sim.Start(row.simOptions)) << sim.Error().toStdString();
        const std::string file = WriteFile(dir, "stream.bin", BinaryPayload(400'000));
        const QStringList port = row.tcp ? QStringList{"--port", "ETHERNET_II", "--ip", "127.0.0.1",
                                                       "--tcp-port", QString::number(sim.TcpPort())}
                                         : QStringList{"--port", sim.SerialPath(), "--flow", "none"};
        QProcess korva;
        korva.start(KORVA_BIN_DIR "/korva", QStringList{"send"} + port + QStringList{file.c_str()});
        ASSERT_TRUE(korva.waitForStarted(10'000));
        const QJsonObject state = sim.WaitForState([](const QJsonObject& s) {
            for (const QJsonValue& e : s["events"].toArray())
                if (e.toString().contains("stopped reading")) return true;
            return false;
        });
        ASSERT_TRUE(QJsonDocument(state).toJson().contains("stopped reading"));
        korva.waitForFinished(600);  // the write is held by now
        ASSERT_EQ(korva.state(), QProcess::Running) << korva.readAllStandardError().toStdString();
        QElapsedTimer sinceSignal;
        sinceSignal.start();
        ::kill(static_cast<pid_t>(korva.processId()), SIGINT);
        ASSERT_TRUE(korva.waitForFinished(10'000));
        // Within a second, give or take a slow machine; it used to take the
        // whole write deadline (100 ms per byte of a piece).
        EXPECT_LT(sinceSignal.elapsed(), 3000);
        EXPECT_EQ(korva.exitCode(), 130);
        const QString err = QString::fromUtf8(korva.readAllStandardError());
        EXPECT_TRUE(err.contains("cancelled: ")) << err.toStdString();
    }
}

TEST(SendToUsb, ThePrinterOfTheModelsSeriesGetsTheFile) {
    FakeDeviceTree tree;
    const auto older = tree.AddUsbPrinter(0, "7f3d", "0101", "0100");
    const auto newer = tree.AddUsbPrinter(1, "7f3d", "0102", "0100");
    korva::test::TestDir dir;
    const std::vector<uint8_t> payload = BinaryPayload(6000);
    const std::string file = WriteFile(dir, "stream.prn", payload);
    KorvaProcess korva;
    tree.Apply(korva);
    const KorvaResult r =
        korva.Run({"send", "--port", "usb", "--model", "KORVA20IIU-II", file.c_str()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(newer), payload);
    EXPECT_TRUE(ReadFile(older).empty());
}

TEST(SendToUsb, MissingPrinterAndAFailingWriteAreReported) {
    FakeDeviceTree tree;
    tree.AddUsbPrinter(0, "7f3d", "0102", "0100", "/dev/full");  // every write fails: device full
    korva::test::TestDir dir;
    const std::string file = WriteFile(dir, "stream.prn", TextStream());
    KorvaProcess first;
    tree.Apply(first);
    KorvaResult r = first.Run({"send", "--port", "USB", "--model", "KORVA20U-II", file.c_str()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "no KORVA20 USB printer found")) << r.err;

    KorvaProcess second;
    tree.Apply(second);
    r = second.Run({"send", "--port", "USB", "--device-type", "3", file.c_str()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(
        Contains(r.err, "only 0 of " + std::to_string(TextStream().size()) + " bytes handed to the driver of USB"))
        << r.err;
    EXPECT_TRUE(Contains(r.err, "No space left on device")) << r.err;
}

TEST(SendToSimulator, SavedStreamDefinesTwoNvLogosThatPrintOnThePaper) {
    korva::test::TestDir dir;
    const std::string link = (dir / "korva-printer").string();
    SimHarness sim;
    ASSERT_TRUE(sim.WithPaper("pgm").Start({"--serial-link", QString::fromStdString(link)}))
        << sim.Error().toStdString();
    // FS q 2: a 104 x 32 and a 512 x 8 dot logo, all black; then FS p 1 normal
    // and FS p 2 quadruple.
    std::vector<uint8_t> stream = {0x1C, 0x71, 0x02, 0x0D, 0x00, 0x04, 0x00};
    stream.insert(stream.end(), 416, 0xFF);
    stream.insert(stream.end(), {0x40, 0x00, 0x01, 0x00});
    stream.insert(stream.end(), 512, 0xFF);
    stream.insert(stream.end(), {0x1C, 0x70, 0x01, 0x00, 0x1C, 0x70, 0x02, 0x03});
    const std::string file = WriteFile(dir, "logos.prn", stream);

    const KorvaResult r =
        KorvaProcess().Run({"send", "--port", QString::fromStdString(link), file.c_str()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject state = sim.WaitForState(
        [](const QJsonObject& s) { return s["printed"].toArray().size() >= 2; });
    const QJsonArray images = state["nv_images"].toArray();
    ASSERT_EQ(images.size(), 2);
    EXPECT_EQ(images[0].toObject()["width"].toInt(), 104);
    EXPECT_EQ(images[0].toObject()["height"].toInt(), 32);
    EXPECT_EQ(images[1].toObject()["width"].toInt(), 512);
    EXPECT_EQ(images[1].toObject()["height"].toInt(), 8);
    const QJsonArray printed = state["printed"].toArray();
    EXPECT_EQ(printed[0].toObject()["logo"].toInt(), 1);
    EXPECT_EQ(printed[0].toObject()["size"].toInt(), 0);
    EXPECT_EQ(printed[1].toObject()["logo"].toInt(), 2);
    EXPECT_EQ(printed[1].toObject()["size"].toInt(), 3);

    // The roll shows both: at least the dots of logo 1 plus four times those of
    // logo 2. The roll is rewritten after the state, so wait for it as well.
    const long needed = 104L * 32 + 4L * 512 * 8;
    long black = -1;
    sim.WaitForState([&](const QJsonObject&) {
        black = CountBlackPixels(sim.PaperPath().toStdString());
        return black >= needed;
    });
    EXPECT_GE(black, needed);
}

TEST(SendToUsb, TwoPrintersOfTheSeriesNeedTheNodeNamed) {
    FakeDeviceTree tree;
    const auto first = tree.AddUsbPrinter(0, "7f3d", "0102", "0100");
    const auto second = tree.AddUsbPrinter(1, "7f3d", "0102", "0100");
    korva::test::TestDir dir;
    const std::vector<uint8_t> payload = BinaryPayload(3000);
    const std::string file = WriteFile(dir, "stream.prn", payload);
    KorvaProcess ambiguous;
    tree.Apply(ambiguous);
    KorvaResult r = ambiguous.Run({"send", "-p", "USB", "--model", "KORVA20IIU-II", file.c_str()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.err, "2 KORVA20II USB printers are attached (" + first.string() + ", " +
                                    second.string() + "); name one with --port"))
        << r.err;
    EXPECT_TRUE(ReadFile(first).empty());

    // The node as `korva ports` lists it: its ids tell the series.
    KorvaProcess named;
    tree.Apply(named);
    r = named.Run({"send", "--port=" + QString::fromStdString(second.string()), file.c_str()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(second), payload);
    EXPECT_TRUE(ReadFile(first).empty());

    KorvaProcess mismatch;
    tree.Apply(mismatch);
    r = mismatch.Run({"send", "-p", second.c_str(), "--model", "KORVA20U-II", file.c_str()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.err, "is a KORVA20II printer, but the model is a KORVA20")) << r.err;
}

// The device roots tests point korva at are the ones every command opens
// "USB" under, not only send: the bytes land in the fake tree's node.
TEST(SendToUsb, EveryCommandOpensUsbUnderTheDeviceRoots) {
    FakeDeviceTree tree;
    const auto node = tree.AddUsbPrinter(0, "7f3d", "0102", "0100");
    const std::string erase("\x1c\x71\x01\x00\x00\x00\x00", 7);
    KorvaProcess korva;
    tree.Apply(korva);
    KorvaResult r = korva.Run({"logo", "erase", "-p", "USB", "--model", "KORVA20IIU-II", "--timeout", "50"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::vector<uint8_t> bytes = ReadFile(node);
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find(erase), std::string::npos);
}

// Nothing comes back over a parallel port: every byte reaches the driver, and
// that is all that can be said.
TEST(SendToParallel, IsSentNotConfirmed) {
    FakeDeviceTree tree;
    // LPT1 is parport0 under the device root: a FIFO stands in for the printer.
    const std::string node = tree.DevPath("parport0");
    std::filesystem::create_directories(tree.Dev());
    ASSERT_EQ(::mkfifo(node.c_str(), 0600), 0);
    const int reader = ::open(node.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    korva::test::TestDir dir;
    const std::vector<uint8_t> payload = BinaryPayload(3000);
    const std::string file = WriteFile(dir, "stream.prn", payload);
    const QString port = "LPT1";
    KorvaProcess korva;
    tree.Apply(korva);
    KorvaResult r = korva.Run({"send", "--port", port, "--json", file.c_str()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.err, "3000 bytes sent to " + port.toStdString() + ", not confirmed")) << r.err;
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    EXPECT_EQ(json["confirmed"], QJsonValue(false));
    EXPECT_EQ(json["reason"].toString(), "not-confirmed");
    EXPECT_EQ(json["bytes"].toInteger(), 3000);

    KorvaProcess strict;
    tree.Apply(strict);
    r = strict.Run({"send", "--port", port, "--require-confirmed", file.c_str()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "confirmation is required")) << r.err;
    std::vector<uint8_t> taken(2 * payload.size() + 1);
    EXPECT_EQ(::read(reader, taken.data(), taken.size()), static_cast<ssize_t>(2 * payload.size()));
    ::close(reader);
}

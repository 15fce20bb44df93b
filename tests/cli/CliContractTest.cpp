// What a script relies on, for every `korva` command, run as a subprocess
// against korva-sim: a signal mid-run (exit code and what the printer holds),
// standard output on a full disk, --json on failure, the reason code of each
// cause, --opt=value, "-" for standard input or output, closed standard
// streams and FIFOs, and help. One row per command and case.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "KorvaProcess.h"
#include "firmware/FirmwareImages.h"
#include "logo/BmpWriter.h"
#include "netcfg/NetSimSupport.h"
#include "support/SimHarness.h"
#include "support/TestDir.h"

namespace korva::test {
namespace {

enum class Printer {
    None,
    Serial,  ///< korva-sim on a pty, with the row's simulator options
    Udp,     ///< korva-sim answering network-setting datagrams on loopback
    Tcp,     ///< korva-sim listening on a loopback TCP port, with the row's options
};

/// How the row's korva is started, beyond its arguments.
enum class Launch {
    Plain,
    Unprivileged,  ///< as a user who may not open the printer's port
    OwnNetwork,    ///< in a network namespace of its own, with no interface up
};

struct Row {
    const char* name;
    Printer printer = Printer::None;
    QStringList simOptions = {};
    const char* input = nullptr;  ///< file of {dir} on standard input (else /dev/null)
    /// "{port}" the pty, "{udp}" the loopback endpoint options, "{listen}"
    /// the port answers come back to, "{tcp}" the simulator's TCP port,
    /// "{closed}" a loopback TCP port nobody listens on, "{dir}/" the test's
    /// directory.
    QStringList args = {};
    /// Run through `bash -c` instead, "{korva}" the program, the same
    /// placeholders; for closed streams, FIFOs and process substitution.
    const char* shell = nullptr;
    Launch launch = Launch::Plain;
    bool holdPort = false;        ///< another program holds the pty (flock) meanwhile
    bool portGone = false;        ///< the simulator and its pty are gone before korva starts
    bool signalWhenBlocked = false;  ///< the signal goes once korva sleeps in a system call
    bool devFull = false;         ///< standard output is /dev/full
    int signal = 0;               ///< sent once the simulator's state says the work is under way
    bool twice = false;           ///< a second signal after the first was acknowledged
    int endsWithinMs = 0;         ///< the run ends this soon after the first signal (wall time)
    std::function<bool(const QJsonObject&)> underWay = {};
    int exitCode = 0;
    std::string errHas = {};
    const char* errNot = nullptr;  ///< a text stderr must not hold
    std::string outHas = {};
    const char* json = nullptr;  ///< the outcome stdout's one JSON line must carry
    /// The reason code: in the JSON line, and on a failure the last line of stderr.
    const char* reason = nullptr;
    bool simGetsNothing = false;  ///< the printer received not one byte
    const char* simNotHas = nullptr;  ///< bytes the printer must not receive
    const char* noFile = nullptr;     ///< a file of {dir} that must not exist afterwards
    const char* simHasOnce = nullptr;  ///< bytes the printer received exactly once
    const char* eventHas = nullptr;   ///< a text one of the simulator's events holds
    const char* eventNot = nullptr;   ///< a text none of the simulator's events holds
    /// Keys the JSON result carries besides the ones every result has (null allowed).
    std::vector<const char*> keys = {};
};

/// A loopback TCP port with nothing listening on it.
quint16 ClosedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    quint16 port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (fd >= 0) ::close(fd);
    return port;
}

struct Result {
    int exitCode = -1;
    std::string out, err;
    qint64 afterSignalMs = -1;  ///< from the first signal to the end
};

long ReceivedBytes(const QJsonObject& state) {
    long total = 0;
    for (int i = 0; i < 4; ++i) total += SimHarness::Received(state, i).size();
    return total;
}

/// Waits (up to 20 s) until `pid` runs korva and sleeps in the kernel: a
/// blocking open or read, its handlers installed long before.
bool SleepsAsKorva(pid_t pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    for (int i = 0; i < 2000; ++i) {
        std::ifstream comm(proc + "/comm"), stat(proc + "/stat"), wchan(proc + "/wchan");
        std::string name, statLine, channel;
        std::getline(comm, name);
        std::getline(stat, statLine);
        std::getline(wchan, channel);
        const size_t paren = statLine.rfind(')');
        const char state = paren != std::string::npos && paren + 2 < statLine.size() ? statLine[paren + 2] : '?';
        // wchan names the wait where the kernel lets us see it ("0" otherwise).
        const bool inOpen = channel.empty() || channel == "0" || channel.find("fifo") != std::string::npos ||
                            channel.find("pipe") != std::string::npos ||
                            channel.find("partner") != std::string::npos;
        if (name == "korva" && state == 'S' && inOpen) return true;
        ::usleep(10000);
    }
    return false;
}

std::function<bool(const QJsonObject&)> AfterBytes(long count) {
    return [count](const QJsonObject& s) { return ReceivedBytes(s) >= count; };
}

std::function<bool(const QJsonObject&)> AfterPrinted(int count) {
    return [count](const QJsonObject& s) { return s["printed"].toArray().size() >= count; };
}

std::function<bool(const QJsonObject&)> AfterEvents(int count) {
    return [count](const QJsonObject& s) { return s["events"].toArray().size() >= count; };
}

/// 200 small logos (384 bytes each): more than the line holds in its
/// buffers, so an upload is still sending when the signal comes.
QStringList ManyLogos(int count = 200) {
    QStringList files;
    for (int i = 0; i < count; ++i) files << "{dir}/logo.bmp";
    return files;
}

class CliContract : public ::testing::Test {
protected:
    static void SetUpTestSuite() { KorvaProcess(); }  // the core application object

    void SetUp() override {
        const auto black = logo::test::Rgb24Bmp(64, 48, [](int, int) { return logo::test::Rgb{}; });
        WriteFile(dir / "logo.bmp", black);
        // 51,200 bytes once converted: more than the buffers on the way take,
        // so a printer that stops reading holds the write mid-image.
        WriteFile(dir / "tall.bmp", logo::test::Rgb24Bmp(512, 800, [](int, int) { return logo::test::Rgb{}; }));
        WriteFile(dir / "stream.prn", PatternImage(64 * 1024, 3));
        WriteFile(dir / "k22.K20", NewSeriesImage("K22"));
        WriteFile(dir / "bad.K20", NewSeriesImage("X99"));
        WriteFile(dir / "fw.bin", PatternImage(0x200000, 5));
    }

    /// The printer of one row.
    struct Printers {
        SimHarness sim;
        LoopbackPrinter net;
        quint16 closedPort = ClosedLoopbackPort();
    };

    QStringList Expand(const Row& row, const Printers& p) const {
        QStringList out;
        for (const QString& arg : row.args) {
            if (arg == "{udp}") {
                out << "--broadcast" << "127.0.0.1"
                    << "--udp-port=" + QString::number(p.net.sim.UdpPort()) << "--listen-port"
                    << QString::number(p.net.listenPort);
                continue;
            }
            QString a = arg;
            a.replace("{port}", p.sim.SerialPath());
            a.replace("{listen}", QString::number(p.net.listenPort));
            a.replace("{tcp}", QString::number(p.sim.TcpPort()));
            a.replace("{closed}", QString::number(p.closedPort));
            a.replace("{korva}", KORVA_BIN_DIR "/korva");
            a.replace("{dir}", QString::fromStdString(dir.path().string()));
            out << a;
        }
        return out;
    }

    Result Run(const Row& row, const Printers& p) {
        QProcess korva;
        SanitizerLog sanitizerLog;
        QProcessEnvironment env = sanitizerLog.Environment(QProcessEnvironment::systemEnvironment());
        env.insert("XDG_CONFIG_HOME", QString::fromStdString((dir / "config").string()));
        env.insert("XDG_STATE_HOME", QString::fromStdString((dir / "state").string()));
        korva.setProcessEnvironment(env);
        korva.setWorkingDirectory(QString::fromStdString(dir.path().string()));
        korva.setStandardInputFile(row.input ? QString::fromStdString((dir / row.input).string())
                                             : QProcess::nullDevice());
        if (row.devFull) korva.setStandardOutputFile("/dev/full");
        QString program = KORVA_BIN_DIR "/korva";
        QStringList args = Expand(row, p);
        if (row.shell != nullptr) {
            Row shellRow = row;
            shellRow.args = {row.shell};
            args = QStringList{"-c", Expand(shellRow, p)[0]};
            program = "bash";
        }
        if (row.launch == Launch::Unprivileged && ::geteuid() == 0) {
            // nobody is in neither dialout nor tty: the pty refuses it.
            args = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program} + args;
            program = "setpriv";
        } else if (row.launch == Launch::Unprivileged) {
            ::chmod(p.sim.SerialPath().toLocal8Bit().constData(), 0);
        }
        if (row.launch == Launch::OwnNetwork) {
            // Its loopback is down: nothing it sends can leave or arrive.
            const QStringList unshare = ::geteuid() == 0 ? QStringList{"--net"}
                                                         : QStringList{"--net", "--map-root-user"};
            args = unshare + QStringList{program} + args;
            program = "unshare";
        }
        korva.start(program, args);
        Result result;
        QElapsedTimer sinceSignal;
        if (!korva.waitForStarted(10000)) return result;
        if (row.signal != 0) {
            if (row.signalWhenBlocked) {
                EXPECT_TRUE(SleepsAsKorva(static_cast<pid_t>(korva.processId())))
                    << row.name << ": korva never blocked";
            } else {
                const SimHarness& sim = row.printer == Printer::Udp ? p.net.sim : p.sim;
                const QJsonObject state = sim.WaitForState(row.underWay, 20000);
                EXPECT_TRUE(row.underWay(state)) << row.name << ": the work never got under way";
            }
            ::kill(static_cast<pid_t>(korva.processId()), row.signal);
            sinceSignal.start();
            if (row.twice) {
                for (int i = 0; i < 500 && result.err.find("at once)") == std::string::npos; ++i) {
                    korva.waitForReadyRead(20);
                    result.err += korva.readAllStandardError().toStdString();
                }
                ::kill(static_cast<pid_t>(korva.processId()), row.signal);
            }
        }
        if (!korva.waitForFinished(60000)) {
            korva.kill();
            korva.waitForFinished(3000);
            return result;
        }
        if (sinceSignal.isValid()) result.afterSignalMs = sinceSignal.elapsed();
        result.exitCode = korva.exitStatus() == QProcess::NormalExit ? korva.exitCode() : -1;
        result.out = korva.readAllStandardOutput().toStdString();
        result.err += korva.readAllStandardError().toStdString();
        ExpectCleanEnd("korva", korva, sanitizerLog, QString::fromStdString(result.err),
                       std::nullopt);
        return result;
    }

    void Check(const Row& row) {
        SCOPED_TRACE(row.name);
        Printers p;
        bool started = true;
        if (row.printer == Printer::Serial) started = p.sim.Start(QStringList{"--serial"} + row.simOptions);
        if (row.printer == Printer::Udp) started = p.net.Start(row.simOptions);
        if (row.printer == Printer::Tcp)
            started = p.sim.Start(QStringList{"--tcp", "127.0.0.1:0"} + row.simOptions);
        ASSERT_TRUE(started) << p.sim.Error().toStdString() << p.net.sim.Error().toStdString();
        int held = -1;
        if (row.holdPort) {
            held = ::open(p.sim.SerialPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
            ASSERT_GE(held, 0);
            ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
        }
        if (row.portGone) p.sim.Stop();
        const Result r = Run(row, p);
        if (held >= 0) ::close(held);
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
        if (row.endsWithinMs > 0) {
            EXPECT_GE(r.afterSignalMs, 0);
            EXPECT_LT(r.afterSignalMs, row.endsWithinMs) << r.err;
        }
        std::string errHas = row.errHas;
        if (const size_t at = errHas.find("{dir}"); at != std::string::npos)
            errHas.replace(at, 5, dir.path().string());
        EXPECT_NE(r.err.find(errHas), std::string::npos) << r.err;
        if (row.errNot != nullptr) {
            EXPECT_EQ(r.err.find(row.errNot), std::string::npos) << r.err;
        }
        EXPECT_NE(r.out.find(row.outHas), std::string::npos) << r.out;
        if (row.json != nullptr) {
            // One object on one line, whatever the outcome.
            QJsonParseError error{};
            const QByteArray line = QByteArray::fromStdString(r.out);
            const QJsonObject object = QJsonDocument::fromJson(line, &error).object();
            EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out;
            EXPECT_EQ(line.count('\n'), 1) << r.out;
            EXPECT_EQ(object["outcome"].toString().toStdString(), row.json) << r.out;
            if (std::string(row.json) != "done") {
                EXPECT_FALSE(object["error"].toString().isEmpty()) << r.out;
            }
            // Every result names its reason, "none" when done.
            EXPECT_TRUE(object["reason"].isString()) << r.out;
            // One shape: the schema, the command, the target and the error
            // (null when done), and the command's own keys, null when unknown.
            EXPECT_EQ(object["schema"].toInt(), 1) << r.out;
            for (const char* key : {"command", "target", "error"}) {
                EXPECT_TRUE(object.contains(key)) << key << " missing: " << r.out;
            }
            for (const char* key : row.keys) {
                EXPECT_TRUE(object.contains(key)) << key << " missing: " << r.out;
            }
            if (object["target"].isObject()) {
                for (const char* key : {"port", "ip", "tcp_port", "mac"}) {
                    EXPECT_TRUE(object["target"].toObject().contains(key)) << key << " missing: " << r.out;
                }
            }
            if (row.reason != nullptr) {
                EXPECT_EQ(object["reason"].toString().toStdString(), row.reason) << r.out;
            }
        }
        // Exit 4 is a read that was done: its warnings name the unknowns.
        if (row.reason != nullptr && r.exitCode != 0 && r.exitCode != 2 && r.exitCode != 4) {
            // The text says it too, in the same words for every command.
            EXPECT_NE(r.err.find(std::string("reason: ") + row.reason + " ("), std::string::npos) << r.err;
        }
        if (row.simGetsNothing || row.simNotHas != nullptr || row.simHasOnce != nullptr) {
            const QJsonObject state = p.sim.State();
            QByteArray received;
            for (int i = 0; i < 4; ++i) received += SimHarness::Received(state, i);
            if (row.simGetsNothing) {
                EXPECT_TRUE(received.isEmpty()) << received.toHex().toStdString();
            }
            if (row.simNotHas != nullptr) {
                EXPECT_FALSE(received.contains(row.simNotHas)) << received.toStdString();
            }
            if (row.simHasOnce != nullptr) {
                EXPECT_EQ(received.count(row.simHasOnce), 1) << received.toHex().toStdString();
            }
        }
        if (row.eventHas != nullptr || row.eventNot != nullptr) {
            const SimHarness& sim = row.printer == Printer::Udp ? p.net.sim : p.sim;
            // The simulator writes its state a moment after a change: wait for the event.
            const auto eventsOf = [](const QJsonObject& state) {
                QString text;
                for (const QJsonValue& e : state["events"].toArray()) text += e.toString() + "\n";
                return text;
            };
            const QString wanted = row.eventHas != nullptr ? QString(row.eventHas) : QString();
            const QString events = eventsOf(sim.WaitForState(
                [&](const QJsonObject& s) { return wanted.isEmpty() || eventsOf(s).contains(wanted); },
                2000));
            if (row.eventHas != nullptr) {
                EXPECT_TRUE(events.contains(row.eventHas)) << events.toStdString();
            }
            if (row.eventNot != nullptr) {
                EXPECT_FALSE(events.contains(row.eventNot)) << events.toStdString();
            }
        }
        if (row.noFile != nullptr) {
            EXPECT_FALSE(std::filesystem::exists(dir / row.noFile)) << row.noFile;
            for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
                EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << entry.path();
            }
        }
    }

    TestDir dir;
};

// --- a signal mid-run -----------------------------------------------------

TEST_F(CliContract, SignalMidRun) {
    const std::vector<Row> rows = {
        {.name = "send: stops between pieces",
         .printer = Printer::Serial, .simOptions = {"--line-rate", "9600"},
         .args = {"send", "-p", "{port}", "--flow", "none", "{dir}/stream.prn"},
         .signal = SIGINT, .underWay = AfterBytes(100), .exitCode = 130, .errHas = "cancelled: "},
        {.name = "logo upload: the rest goes out empty",
         .printer = Printer::Serial, .simOptions = {"--line-rate", "115200"},
         .args = QStringList{"logo", "upload", "-p", "{port}", "--flow", "none"} + ManyLogos(),
         .signal = SIGTERM, .underWay = AfterBytes(2000), .exitCode = 143,
         .errHas = "cancelled; the printer's definition was closed with empty images"},
        {.name = "logo upload at 9600 baud to a printer that reads steadily: the logo under way "
                 "finishes and the message says the printer was taking data",
         .printer = Printer::Serial, .simOptions = {"--line-rate", "tty"},
         .args = QStringList{"logo", "upload", "-p", "{port}", "--baud", "9600", "--flow", "none"} +
                 ManyLogos(60),
         .signal = SIGINT, .underWay = AfterBytes(1500), .exitCode = 130,
         .errHas = "Cancelled while the printer was taking data: the printer holds logos 1.."},
        {.name = "logo upload over TCP to a printer that stopped reading: the held write gives "
                 "way within a second and the printer's part is named",
         .printer = Printer::Tcp,
         .simOptions = {"--stall-after-bytes", "3000", "--tcp-receive-buffer", "4096"},
         .args = {"logo", "upload", "-p", "ETHERNET_II", "--ip", "127.0.0.1", "--tcp-port", "{tcp}",
                  "{dir}/tall.bmp"},
         .signal = SIGINT, .endsWithinMs = 3000, .underWay = AfterBytes(3000), .exitCode = 130,
         .errHas = "cancelled while the printer was not taking data; the printer may hold logo 1 of "
                   "this upload (the last one cut short)"},
        {.name = "logo print: stops after the logo being printed",
         .printer = Printer::Serial,
         .args = {"logo", "print", "-p", "{port}", "--flow", "none", "--all", "-j"},
         .signal = SIGINT, .underWay = AfterPrinted(2), .exitCode = 130,
         .errHas = "cancelled after", .json = "cancelled"},
        {.name = "firmware download, newer series: the packet is in the printer's hands; a second "
                 "signal ends at once",
         .printer = Printer::Serial, .simOptions = {"--line-rate", "115200"},
         .args = {"firmware", "download", "-p", "{port}", "--flow", "none", "--model",
                  "KORVA20IIS", "--area", "program", "{dir}/k22.K20"},
         .signal = SIGINT, .twice = true, .underWay = AfterBytes(4096), .exitCode = 130,
         .errHas = "the firmware packet is already in the printer's hands"},
        {.name = "firmware download, older series: says the program area is erased",
         .printer = Printer::Serial, .simOptions = {"--series", "2", "--line-rate", "115200"},
         .args = {"firmware", "download", "-p", "{port}", "--model", "KORVA10S", "--area",
                  "program", "{dir}/fw.bin"},
         .signal = SIGTERM, .underWay = AfterBytes(3000), .exitCode = 143,
         .errHas = "cancelled: program area erased; the printer will not start until a download "
                   "completes"},
        {.name = "logo upload, SIGHUP (the ssh session dropped): stopped like SIGTERM, said what "
                 "the printer holds",
         .printer = Printer::Serial, .simOptions = {"--line-rate", "115200"},
         .args = QStringList{"logo", "upload", "-p", "{port}", "--flow", "none", "-j"} + ManyLogos(),
         .signal = SIGHUP, .underWay = AfterBytes(2000), .exitCode = 129,
         .errHas = "cancelled; the printer's definition was closed with empty images",
         .json = "cancelled", .reason = "cancelled"},
        {.name = "setup read: ends at once",
         .printer = Printer::Serial, .simOptions = {"--drop-answer-after", "0"},
         .args = {"setup", "read", "-p", "{port}", "--flow", "none"},
         .signal = SIGINT, .underWay = AfterBytes(1), .exitCode = 130,
         .errHas = "interrupted while reading; the printer is unchanged"},
        {.name = "setup write: nothing written yet",
         .printer = Printer::Serial, .simOptions = {"--drop-answer-after", "0"},
         .args = {"setup", "write", "-p", "{port}", "--flow", "none", "speed=150", "-j"},
         .signal = SIGTERM, .underWay = AfterBytes(1), .exitCode = 143,
         .errHas = "interrupted before anything was written", .outHas = "\"settings\":null",
         .json = "cancelled", .reason = "cancelled"},
        {.name = "net search: ends at once",
         .printer = Printer::Udp, .args = {"net", "search", "{udp}"},
         .signal = SIGTERM, .underWay = AfterEvents(1), .exitCode = 143,
         .errHas = "search interrupted"},
    };
    for (const Row& row : rows) Check(row);
}

// --- standard output on a full disk --------------------------------------

TEST_F(CliContract, FullStandardOutputFails) {
    const std::string full = "cannot write standard output: No space left on device";
    const std::vector<Row> rows = {
        {.name = "ports", .args = {"ports", "-j"}, .devFull = true, .exitCode = 1, .errHas = full},
        {.name = "version", .args = {"version"}, .devFull = true, .exitCode = 1, .errHas = full},
        {.name = "firmware check", .args = {"firmware", "check", "{dir}/k22.K20"}, .devFull = true,
         .exitCode = 1, .errHas = full},
        {.name = "logo convert", .args = {"logo", "convert", "{dir}/logo.bmp", "--out", "-"},
         .devFull = true, .exitCode = 1, .errHas = full},
        {.name = "logo list", .args = {"logo", "list", "-j"}, .devFull = true, .exitCode = 1,
         .errHas = full},
        {.name = "logo upload: the stream itself goes to stdout",
         .args = {"logo", "upload", "--out", "-", "{dir}/logo.bmp"}, .devFull = true,
         .exitCode = 1},
        {.name = "logo erase", .args = {"logo", "erase", "--out", "-"}, .devFull = true,
         .exitCode = 1},
        {.name = "send", .printer = Printer::Serial,
         .args = {"send", "-p", "{port}", "--flow", "none", "-j", "{dir}/stream.prn"},
         .devFull = true, .exitCode = 1, .errHas = full},
        {.name = "logo print", .printer = Printer::Serial,
         .args = {"logo", "print", "-p", "{port}", "--flow", "none", "--select", "1", "-j"},
         .devFull = true, .exitCode = 1, .errHas = full},
        {.name = "setup read: a backup to a full disk", .printer = Printer::Serial,
         .args = {"setup", "read", "-p", "{port}", "--flow", "none"}, .devFull = true,
         .exitCode = 1, .errHas = full},
        {.name = "setup write", .printer = Printer::Serial,
         .args = {"setup", "write", "-p", "{port}", "--flow", "none", "speed=150"},
         .devFull = true, .exitCode = 1, .errHas = full},
        {.name = "setup test-page", .printer = Printer::Serial,
         .args = {"setup", "test-page", "-p", "{port}", "--flow", "none", "-j"}, .devFull = true,
         .exitCode = 1, .errHas = full},
        {.name = "net search", .printer = Printer::Udp, .args = {"net", "search", "{udp}"},
         .devFull = true, .exitCode = 1, .errHas = full},
        {.name = "net set", .printer = Printer::Udp,
         .args = {"net", "set", "--mac", "00:2B:9E:12:34:56", "--ip", "127.8.0.7", "--mask",
                  "255.255.255.0", "--gateway", "127.8.0.1", "--tcp-port", "6001", "--dhcp", "off",
                  "{udp}", "-j"},
         .devFull = true, .exitCode = 1, .errHas = full},
    };
    for (const Row& row : rows) Check(row);
}

// --- --json on failure ----------------------------------------------------

TEST_F(CliContract, JsonOnFailure) {
    const QStringList missingPort{"-p", "/dev/ttyKORVA-none", "--flow", "none"};
    const std::vector<Row> rows = {
        {.name = "ports: usage", .args = {"ports", "-j", "--serial"}, .exitCode = 2,
         .errHas = "unknown option --serial", .json = "failed", .reason = "usage"},
        {.name = "-j after the failing word still gives JSON", .args = {"setup", "read", "--bogus", "-j"},
         .exitCode = 2, .json = "failed", .reason = "usage"},
        {.name = "korva -j alone: the failure, not the help", .args = {"-j"}, .exitCode = 2,
         .errNot = "Commands:", .json = "failed", .reason = "usage"},
        {.name = "version: usage", .args = {"version", "-j", "now"}, .exitCode = 2,
         .json = "failed"},
        {.name = "send: missing file", .args = {"send", "-p", "COM99", "-j", "{dir}/none.prn"},
         .exitCode = 3, .errHas = "cannot read file", .json = "failed", .reason = "file-io"},
        {.name = "logo convert: missing file",
         .args = {"logo", "convert", "-j", "{dir}/none.bmp", "--out", "{dir}/r.bin"},
         .exitCode = 3, .json = "failed"},
        {.name = "logo convert: unwritable output is a file problem",
         .args = {"logo", "convert", "-j", "{dir}/logo.bmp", "--out", "{dir}/no/dir/r.bin"},
         .exitCode = 3, .errHas = "cannot write file", .json = "failed", .reason = "file-io"},
        {.name = "logo upload: unwritable output is a file problem",
         .args = {"logo", "upload", "-j", "--out", "{dir}/no/dir/u.prn", "{dir}/logo.bmp"},
         .exitCode = 3, .json = "failed"},
        {.name = "logo erase: unwritable output is a file problem",
         .args = {"logo", "erase", "-j", "--out", "{dir}/no/dir/e.prn"}, .exitCode = 3,
         .json = "failed"},
        {.name = "logo list: missing profile",
         .args = {"logo", "list", "-j", "--profile", "{dir}/none.INI"}, .exitCode = 3,
         .json = "failed"},
        {.name = "logo upload: port", .args = QStringList{"logo", "upload", "-j", "{dir}/logo.bmp"}
                                               + missingPort,
         .exitCode = 1, .json = "failed"},
        {.name = "logo print: port",
         .args = QStringList{"logo", "print", "-j", "--select", "1"} + missingPort, .exitCode = 1,
         .json = "failed"},
        {.name = "logo erase: port", .args = QStringList{"logo", "erase", "-j"} + missingPort,
         .exitCode = 1, .json = "failed"},
        {.name = "firmware check: not firmware", .args = {"firmware", "check", "-j", "{dir}/bad.K20"},
         .exitCode = 3, .errHas = "ERROR : File is not firmware file!", .json = "failed",
         .reason = "bad-input"},
        {.name = "firmware download: no model", .printer = Printer::Serial,
         .args = {"firmware", "download", "-j", "-p", "{port}", "--area", "program", "{dir}/k22.K20"},
         .exitCode = 2, .errHas = "--model or --device-type is required", .json = "failed"},
        {.name = "firmware download: unknown model, the known ones listed",
         .printer = Printer::Serial,
         .args = {"firmware", "download", "-j", "-p", "{port}", "--model", "banana", "--area",
                  "program", "{dir}/k22.K20"},
         .exitCode = 2, .errHas = "unknown model banana; known models: KORVA20S, KORVA20P",
         .json = "failed"},
        {.name = "firmware download: model mismatch", .printer = Printer::Serial,
         .args = {"firmware", "download", "-j", "-p", "{port}", "--model", "KORVA20S", "--area",
                  "program", "{dir}/k22.K20"},
         .exitCode = 2, .errHas = "is a K22 image for KORVA20II printers", .json = "failed",
         .reason = "model-mismatch", .simGetsNothing = true},
        {.name = "setup read: silent printer", .printer = Printer::Serial,
         .simOptions = {"--drop-answer-after", "0"},
         .args = {"setup", "read", "-j", "-p", "{port}", "--flow", "none", "--timeout", "300"},
         .exitCode = 1, .errHas = "no answer for settings", .json = "failed", .reason = "no-answer"},
        {.name = "setup write: bad value", .printer = Printer::Serial,
         .args = {"setup", "write", "-j", "-p", "{port}", "speed=190"}, .exitCode = 2,
         .json = "failed"},
        {.name = "setup test-page: port",
         .args = QStringList{"setup", "test-page", "-j"} + missingPort, .exitCode = 1,
         .json = "failed"},
        {.name = "net search: nobody answers", .printer = Printer::Udp,
         .args = {"net", "search", "-j", "--broadcast", "127.0.0.1", "--udp-port", "9",
                  "--listen-port", "{listen}"},
         .exitCode = 1, .errHas = "no printer answered the search", .json = "failed",
         .reason = "no-answer"},
        {.name = "net set: nobody has that MAC", .printer = Printer::Udp,
         .args = {"net", "set", "-j", "--mac", "00:2B:9E:00:00:01", "--ip", "127.8.0.7", "--mask",
                  "255.255.255.0", "--gateway", "127.8.0.1", "--tcp-port", "6001", "--dhcp", "off",
                  "{udp}"},
         .exitCode = 1, .json = "failed"},
    };
    for (const Row& row : rows) Check(row);
}

// --- --opt=value and "-" --------------------------------------------------

TEST_F(CliContract, OptionEqualsValueAndStandardStreams) {
    const std::vector<Row> rows = {
        {.name = "send --opt=value", .printer = Printer::Serial,
         .args = {"send", "--port={port}", "--flow=none", "--baud=19200", "{dir}/stream.prn"},
         .errHas = "65536 bytes sent"},
        {.name = "send -: standard input", .printer = Printer::Serial, .input = "stream.prn",
         .args = {"send", "-p", "{port}", "--flow", "none", "-j", "-"},
         .outHas = "\"bytes\":65536", .json = "done"},
        {.name = "logo convert --opt=value",
         .args = {"logo", "convert", "{dir}/logo.bmp", "--out={dir}/r.bin", "--threshold=40"},
         .outHas = "width=64 height=48 bytes=384"},
        {.name = "logo convert - --out -: bytes through, the summary on stderr",
         .input = "logo.bmp", .args = {"logo", "convert", "-", "--out", "-"},
         .errHas = "width=64 height=48 bytes=384", .outHas = std::string(384, '\xff')},
        {.name = "logo upload --out -: the stream on stdout",
         .args = {"logo", "upload", "--out=-", "--center=1", "--threshold=90", "{dir}/logo.bmp"},
         .outHas = "\x1c\x71\x01"},
        {.name = "logo erase --out=-", .args = {"logo", "erase", "--out=-"},
         .outHas = std::string("\x1c\x71\x01\x00\x00\x00\x00", 7)},
        {.name = "logo print --opt=value", .printer = Printer::Serial,
         .args = {"logo", "print", "--port={port}", "--flow=none", "--select=1-2",
                  "--size=quadruple", "-j"},
         .outHas = "\"printed\":2", .json = "done"},
        {.name = "logo list --opt=value",
         .args = {"logo", "list", "--profile={dir}/stream.prn", "-j"}, .json = "done"},
        {.name = "firmware check --opt=value",
         .args = {"firmware", "check", "--series=new", "{dir}/k22.K20", "-j"}, .json = "done"},
        {.name = "setup read --opt=value", .printer = Printer::Serial,
         .args = {"setup", "read", "--port={port}", "--flow=none", "--timeout=3000"},
         .outHas = "paper-width=80\n"},
        {.name = "setup write --opt=value", .printer = Printer::Serial,
         .args = {"setup", "write", "--port={port}", "--flow=none", "--timeout=3000", "speed=150"},
         .outHas = "speed=150\n"},
        {.name = "setup read -j: numbers as numbers; --from - takes the old hex text and the number",
         .printer = Printer::Serial,
         .shell = R"(k="{korva} setup"; p="-p {port} --flow none -q"; )"
                  R"(echo '{"settings":{"setup-code":"AB"}}' | $k write $p --from - >/dev/null && )"
                  R"($k read $p -j > {dir}/saved.json && grep -q '"receive-buffer":4,' {dir}/saved.json && )"
                  R"($k write $p setup-code=0 >/dev/null && $k write $p --from - < {dir}/saved.json >/dev/null && )"
                  R"(exec {korva} setup read $p -j)",
         .outHas = "\"setup-code\":171,\"speed\":220,\"stop-bits\":1,", .json = "done"},
        {.name = "setup test-page --opt=value", .printer = Printer::Serial,
         .args = {"setup", "test-page", "--port={port}", "--flow=none"}, .errHas = "test page printed"},
        {.name = "net search --opt=value; --timeout sets the silence that ends it",
         .printer = Printer::Udp, .args = {"net", "search", "{udp}", "--timeout=300", "-j"}, .outHas = "\"mac\":\"00:2B:9E:12:34:56\"",
         .json = "done"},
        {.name = "net set --opt=value", .printer = Printer::Udp,
         .args = {"net", "set", "--mac=00:2B:9E:12:34:56", "--ip=127.8.0.7", "--mask=255.255.255.0",
                  "--gateway=127.8.0.1", "--tcp-port=6001", "--dhcp=off", "{udp}"}},
        {.name = "--to-file, the old spelling of --out",
         .args = {"logo", "erase", "--to-file={dir}/e.prn"}},
        {.name = "--answer-timeout, the old spelling of --timeout", .printer = Printer::Serial,
         .args = {"setup", "read", "-p", "{port}", "--flow", "none", "--answer-timeout=3000"},
         .outHas = "paper-width=80\n"},
        {.name = "-q: errors only", .args = {"logo", "upload", "-q", "--out", "{dir}/u.prn",
                                             "{dir}/logo.bmp"},
         .errNot = "korva"},
        {.name = "-q keeps the errors", .args = {"-q", "send", "-p", "/dev/ttyKORVA-none", "{dir}/stream.prn"},
         .exitCode = 1, .errHas = "cannot open /dev/ttyKORVA-none"},
        {.name = "-v: the technical log lines",
         .args = {"send", "-v", "-p", "/dev/ttyKORVA-none", "{dir}/stream.prn"}, .exitCode = 1,
         .errHas = "korva: log: CPorts::Open() CreateFile error\n"},
        {.name = "without -v no log lines",
         .args = {"send", "-p", "/dev/ttyKORVA-none", "{dir}/stream.prn"}, .exitCode = 1,
         .errNot = "log:"},
        {.name = "-- ends the options: a file named like an option",
         .args = {"firmware", "check", "--series", "new", "--", "--fw.K22"}, .exitCode = 3,
         .errHas = "cannot read file --fw.K22: No such file or directory", .reason = "file-io"},
    };
    for (const Row& row : rows) Check(row);
}

// --- one reason code per cause, produced for real -------------------------

TEST_F(CliContract, ReasonCodes) {
    const QStringList tcp{"-p", "ETHERNET_II", "--ip", "127.0.0.1"};
    const std::string kLongQuote(65, 'A');  // more of a value than a message quotes
    const std::string kQuotedStart = std::string(64, 'A').append("... (5000 bytes)");
    const std::vector<Row> rows = {
        {.name = "permission: a user outside the port's groups",
         .printer = Printer::Serial, .input = "stream.prn",
         .args = {"send", "-p", "{port}", "--flow", "none", "-j", "-"},
         .launch = Launch::Unprivileged, .exitCode = 1, .json = "failed", .reason = "permission",
         .simGetsNothing = true},
        {.name = "busy: another program holds the port", .printer = Printer::Serial,
         .args = {"setup", "read", "-p", "{port}", "--flow", "none", "-j"}, .holdPort = true,
         .exitCode = 1, .json = "failed", .reason = "busy", .simGetsNothing = true},
        {.name = "busy: another korva run on the Ethernet printer; --wait-lock waits for its end",
         .printer = Printer::Tcp, .simOptions = {"--drop-answer-after", "0"},
         // The first run holds the printer's lock for 4 s asking a silent printer; the
         // second is refused at once, the third waits and sends once the first is done.
         .shell = R"(a="-p ETHERNET_II --ip 127.0.0.1 --tcp-port {tcp}"; )"
                  R"({korva} status $a --timeout 4000 -q >/dev/null 2>&1 & first=$!; )"
                  R"(for i in $(seq 500); do grep -q "FLOCK.* $first " /proc/locks && break; sleep 0.02; done; )"
                  R"({korva} send $a -j {dir}/stream.prn > {dir}/busy.json; [ $? = 1 ] && )"
                  R"(grep -q '"outcome":"failed","reason":"busy"' {dir}/busy.json && kill -0 $first && )"
                  R"(exec {korva} send $a --wait-lock 30 -j {dir}/stream.prn)",
         .errHas = "waiting for another korva run on 127.0.0.1:", .outHas = "\"bytes\":65536",
         .json = "done", .reason = "none"},
        {.name = "none: an Ethernet printer's lock file is gone once the run that held it ended",
         .printer = Printer::Tcp,
         .shell = R"({korva} send -p ETHERNET_II --ip 127.0.0.1 --tcp-port {tcp} -q {dir}/stream.prn && )"
                  R"(! ls /run/lock/korva-127.0.0.1-{tcp}.lock /tmp/korva-127.0.0.1-{tcp}.lock 2>/dev/null)"},
        {.name = "gone: the pty was removed", .printer = Printer::Serial,
         .args = {"send", "-p", "{port}", "--flow", "none", "-j", "{dir}/stream.prn"},
         .portGone = true, .exitCode = 1, .json = "failed", .reason = "gone"},
        {.name = "gone, older-series firmware: nothing was sent, nothing erased",
         .printer = Printer::Serial,
         .args = {"firmware", "download", "-p", "{port}", "--model", "KORVA10S", "--area", "program",
                  "{dir}/fw.bin", "-j"},
         .portGone = true, .exitCode = 1, .errHas = "nothing was sent, the printer is unchanged",
         .errNot = "erased;", .outHas = "\"erased\":false", .json = "failed", .reason = "gone"},
        {.name = "refused: send", .args = QStringList{"send", "-j", "--tcp-port", "{closed}",
                                                        "{dir}/stream.prn"} + tcp,
         .exitCode = 1, .errHas = "cannot connect to 127.0.0.1:", .json = "failed",
         .reason = "refused"},
        {.name = "refused: logo upload says it the same way",
         .args = QStringList{"logo", "upload", "-j", "--tcp-port", "{closed}", "{dir}/logo.bmp"} + tcp,
         .exitCode = 1, .json = "failed", .reason = "refused"},
        {.name = "refused: setup read says it the same way",
         .args = QStringList{"setup", "read", "-j", "--tcp-port", "{closed}"} + tcp, .exitCode = 1,
         .json = "failed", .reason = "refused"},
        {.name = "refused: the Ethernet printer closes each connection as it accepts it; no reset",
         .printer = Printer::Tcp, .simOptions = {"--disconnect-after-bytes", "0", "--tcp-hang-up", "close"},
         .args = QStringList{"logo", "upload", "-j", "--tcp-port", "{tcp}", "{dir}/logo.bmp"} + tcp,
         .exitCode = 1, .errHas = "The printer closed the connection right after accepting it",
         .json = "failed", .reason = "refused"},
        {.name = "unreachable: no network to reach the printer through",
         .args = QStringList{"send", "-j", "--tcp-port", "6001", "{dir}/stream.prn"} + tcp,
         .launch = Launch::OwnNetwork, .exitCode = 1, .json = "failed", .reason = "unreachable"},
        {.name = "reset: the Ethernet printer drops the link mid-stream", .printer = Printer::Tcp,
         .simOptions = {"--disconnect-after-bytes", "2000"},
         .args = QStringList{"send", "-j", "--tcp-port", "{tcp}", "{dir}/stream.prn"} + tcp,
         .exitCode = 1, .json = "failed", .reason = "reset"},
        {.name = "hang-up: the serial printer hangs up mid-stream", .printer = Printer::Serial,
         .simOptions = {"--disconnect-after-bytes", "2000"},
         .args = {"send", "-p", "{port}", "--flow", "none", "-j", "{dir}/stream.prn"},
         .exitCode = 1, .json = "failed", .reason = "hang-up"},
        {.name = "bad-input: not a picture",
         .args = {"logo", "upload", "-j", "--out", "{dir}/u.prn", "{dir}/stream.prn"},
         .exitCode = 3, .json = "failed", .reason = "bad-input"},
        {.name = "too-large: more logos than the printer can number",
         .args = QStringList{"logo", "upload", "-j", "--out", "{dir}/u.prn"} + ManyLogos() +
                 ManyLogos(),
         .exitCode = 3, .json = "failed", .reason = "too-large"},
        {.name = "file-io: an output that cannot grow leaves no partial file",
         .shell = "trap '' XFSZ; ulimit -f 1; exec {korva} logo upload -j --out {dir}/u.prn "
                  "{dir}/logo.bmp {dir}/logo.bmp {dir}/logo.bmp {dir}/logo.bmp {dir}/logo.bmp "
                  "{dir}/logo.bmp {dir}/logo.bmp {dir}/logo.bmp {dir}/logo.bmp {dir}/logo.bmp",
         .exitCode = 3, .errHas = "cannot write file {dir}/u.prn: File too large",
         .errNot = "Port open", .json = "failed", .reason = "file-io", .noFile = "u.prn"},
        // Every command that takes a file: /dev/zero, a file beyond its kind's
        // largest size, and a folder are refused before anything is sent.
        {.name = "too-large: /dev/zero as a firmware image, read no further than the largest image",
         .args = {"firmware", "check", "--series", "new", "-j", "/dev/zero"}, .exitCode = 3,
         .errHas = "/dev/zero: more than the 2097152 bytes a firmware image can have", .json = "failed",
         .reason = "too-large"},
        {.name = "too-large: /dev/zero to firmware download --dry-run", .printer = Printer::Serial,
         .args = {"firmware", "download", "-p", "{port}", "--model", "KORVA20IIS", "--area", "program",
                  "--dry-run", "-j", "/dev/zero"},
         .exitCode = 3, .json = "failed", .reason = "too-large", .simGetsNothing = true},
        {.name = "too-large: /dev/zero as the settings of setup write --from", .printer = Printer::Serial,
         .args = {"setup", "write", "-p", "{port}", "--flow", "none", "-j", "--from", "/dev/zero"},
         .exitCode = 3, .errHas = "more than the 65536 bytes a settings file can have", .json = "failed",
         .reason = "too-large", .simGetsNothing = true},
        {.name = "too-large: a 2 GB sparse image, refused by its size without a read",
         .shell = "truncate -s 2G {dir}/big.K20 && exec {korva} firmware check -j {dir}/big.K20",
         .exitCode = 3, .errHas = "big.K20: 2147483648 bytes, more than the 2097152 bytes",
         .json = "failed", .reason = "too-large"},
        {.name = "bad-input: /dev/zero starts like no picture (logo upload)", .printer = Printer::Serial,
         .args = {"logo", "upload", "-p", "{port}", "--flow", "none", "-j", "/dev/zero"}, .exitCode = 3,
         .errHas = "/dev/zero: the file is neither a bitmap nor a picture", .json = "failed",
         .reason = "bad-input", .simGetsNothing = true},
        {.name = "bad-input: /dev/zero on standard input of logo convert -",
         .shell = "exec {korva} logo convert -j - --out {dir}/r.bin < /dev/zero", .exitCode = 3,
         .json = "failed", .reason = "bad-input", .noFile = "r.bin"},
        {.name = "bad-input: /dev/zero to logo convert",
         .args = {"logo", "convert", "-j", "/dev/zero", "--out", "{dir}/r.bin"}, .exitCode = 3,
         .json = "failed", .reason = "bad-input", .noFile = "r.bin"},
        {.name = "file-io: /dev/zero is no file to send, a device need never end", .printer = Printer::Serial,
         .args = {"send", "-p", "{port}", "--flow", "none", "-j", "/dev/zero"}, .exitCode = 3,
         .errHas = "a device, not a file", .json = "failed", .reason = "file-io", .simGetsNothing = true},
        {.name = "file-io: /dev/zero as the profile of logo list",
         .args = {"logo", "list", "-j", "--profile", "/dev/zero"}, .exitCode = 3, .json = "failed",
         .reason = "file-io"},
        {.name = "file-io: a folder to send", .printer = Printer::Serial,
         .args = {"send", "-p", "{port}", "--flow", "none", "-j", "{dir}"}, .exitCode = 3,
         .errHas = "Is a directory", .json = "failed", .reason = "file-io", .simGetsNothing = true},
        {.name = "file-io: a folder to logo convert",
         .args = {"logo", "convert", "-j", "{dir}", "--out", "{dir}/r.bin"}, .exitCode = 3,
         .errHas = "Is a directory", .json = "failed", .reason = "file-io"},
        {.name = "file-io: a folder to logo upload",
         .args = {"logo", "upload", "-j", "--out", "{dir}/u.prn", "{dir}"}, .exitCode = 3,
         .errHas = "Is a directory", .json = "failed", .reason = "file-io", .noFile = "u.prn"},
        {.name = "file-io: a folder to firmware check",
         .args = {"firmware", "check", "--series", "old", "-j", "{dir}"}, .exitCode = 3,
         .errHas = "Is a directory", .json = "failed", .reason = "file-io"},
        {.name = "file-io: a folder as the settings of setup write --from", .printer = Printer::Serial,
         .args = {"setup", "write", "-p", "{port}", "--flow", "none", "-j", "--from", "{dir}"},
         .exitCode = 3, .errHas = "Is a directory", .json = "failed", .reason = "file-io",
         .simGetsNothing = true},
        {.name = "usage: a long value is quoted by its start and length only",
         .args = {"logo", "convert", "{dir}/logo.bmp", "--out", "{dir}/r.bin", "--threshold",
                  QString(5000, 'A')},
         .exitCode = 2, .errHas = kQuotedStart, .errNot = kLongQuote.c_str()},
        {.name = "cancelled: a signal before the work",
         .printer = Printer::Serial, .simOptions = {"--drop-answer-after", "0"},
         .args = {"setup", "read", "-p", "{port}", "--flow", "none", "-j"},
         .signal = SIGTERM, .underWay = AfterBytes(1), .exitCode = 143, .json = "cancelled",
         .reason = "cancelled"},
        {.name = "none: a 9600-baud line still carries 8 KB of logos when the end check asks",
         .printer = Printer::Serial, .simOptions = {"--line-rate", "tty"},
         .args = QStringList{"logo", "upload", "-p", "{port}", "--flow", "none", "--baud", "9600",
                             "-j"} + ManyLogos(20),
         .outHas = "\"confirmed\":true", .json = "done", .reason = "none"},
        {.name = "none: done", .printer = Printer::Serial,
         .args = {"setup", "read", "-p", "{port}", "--flow", "none", "-j"}, .json = "done",
         .reason = "none"},
    };
    for (const Row& row : rows) Check(row);
}

// --- closed standard streams, FIFOs, process substitution -----------------

TEST_F(CliContract, StandardStreamsAndFifos) {
    const std::vector<Row> rows = {
        {.name = "closed stdin, stdout, stderr: the result never reaches the printer",
         .printer = Printer::Serial,
         .shell = "exec {korva} setup read -p {port} --flow none -j <&- >&- 2>&-",
         .simNotHas = "outcome"},
        {.name = "logo upload of a FIFO: read once", .printer = Printer::Serial,
         .shell = "mkfifo {dir}/in.fifo && { cat {dir}/logo.bmp > {dir}/in.fifo & } && "
                  "exec {korva} logo upload -p {port} --flow none -j {dir}/in.fifo",
         .outHas = "\"images\":1", .json = "done"},
        {.name = "logo upload of a process substitution", .printer = Printer::Serial,
         .shell = "exec {korva} logo upload -p {port} --flow none -j <(cat {dir}/logo.bmp)",
         .outHas = "\"images\":1", .json = "done"},
        {.name = "firmware check of standard input",
         .shell = "exec {korva} firmware check --series new -j - < {dir}/k22.K20",
         .outHas = "\"series\":\"new\"", .json = "done"},
        {.name = "firmware download of a process substitution", .printer = Printer::Serial,
         .shell = "exec {korva} firmware download -p {port} --flow none --model KORVA20IIS --area "
                  "program -j <(cat {dir}/k22.K20)",
         .json = "done"},
        {.name = "a FIFO nobody writes: a signal ends the waiting open", .printer = Printer::Serial,
         .shell = "mkfifo {dir}/never.fifo && exec {korva} send -p {port} --flow none {dir}/never.fifo",
         .signalWhenBlocked = true, .signal = SIGTERM, .exitCode = 143,
         .errHas = "interrupted while reading {dir}/never.fifo; nothing was sent",
         .reason = "cancelled", .simGetsNothing = true},
    };
    for (Row row : rows) Check(row);
}

// --- dry runs send nothing; status asks and tells -------------------------

TEST_F(CliContract, DryRunsAndStatus) {
    const std::vector<Row> rows = {
        {.name = "logo upload --dry-run: converted and budgeted, nothing sent", .printer = Printer::Serial,
         .args = {"logo", "upload", "-p", "{port}", "--flow", "none", "--dry-run", "-j", "{dir}/logo.bmp"},
         .outHas = "\"dry_run\":true", .json = "done", .reason = "none", .simGetsNothing = true},
        {.name = "firmware download --dry-run: the packet shown, nothing sent", .printer = Printer::Serial,
         .args = {"firmware", "download", "-p", "{port}", "--model", "KORVA20IIS", "--area", "program",
                  "--dry-run", "-j", "{dir}/k22.K20"},
         .outHas = "\"signature\":\"K22\"", .json = "done", .simGetsNothing = true},
        {.name = "firmware download --dry-run, older series: a short image is refused, nothing sent",
         .printer = Printer::Serial,
         .args = {"firmware", "download", "-p", "{port}", "--model", "KORVA10S", "--area", "program",
                  "--dry-run", "-j", "{dir}/stream.prn"},
         .exitCode = 3, .json = "failed", .reason = "bad-input", .simGetsNothing = true},
        {.name = "status: the printer answers its ID", .printer = Printer::Serial,
         .args = {"status", "-p", "{port}", "--flow", "none", "-j"},
         .outHas = "\"series\":\"KORVA20II\"", .json = "done", .reason = "none"},
        {.name = "status: a silent printer fails", .printer = Printer::Serial,
         .simOptions = {"--drop-answer-after", "0"},
         .args = {"status", "-p", "{port}", "--flow", "none", "--timeout", "200", "-j"},
         .exitCode = 1, .json = "failed", .reason = "no-answer"},
    };
    for (const Row& row : rows) Check(row);
}

// --- a second run sends nothing, and says so --------------------------------

TEST_F(CliContract, ConvergesAndSaysWhatChanged) {
    const QStringList serial{"-p", "{port}", "--flow", "none"};
    const QStringList netSet{"net", "set", "--mac", "00:2B:9E:12:34:56", "--mask", "255.255.255.0",
                             "--gateway", "192.168.0.1", "--tcp-port", "6001", "--dhcp", "off", "{udp}", "-j"};
    const std::vector<const char*> writeKeys{"changed", "changes", "verified", "confirmed", "settings",
                                             "write_only", "not_kept", "dry_run"};
    const std::vector<const char*> netKeys{"changed", "confirmed", "before", "after", "changes", "sender", "dry_run"};
    const std::vector<Row> rows = {
        {.name = "setup write of the value the printer holds: no setup mode, changed false",
         .printer = Printer::Serial, .args = QStringList{"setup", "write", "-j", "speed=220"} + serial,
         .outHas = "\"changed\":false", .json = "done", .reason = "none",
         .eventNot = "setup mode entered", .keys = writeKeys},
        {.name = "setup write of one differing value: written, read back, reported",
         .printer = Printer::Serial, .args = QStringList{"setup", "write", "-j", "speed=150"} + serial,
         .outHas = "\"changes\":{\"speed\":{\"from\":220,\"to\":150}}", .json = "done",
         .reason = "none", .eventHas = "settings written", .keys = writeKeys},
        {.name = "setup write --no-verify: written, said not verified",
         .printer = Printer::Serial,
         .args = QStringList{"setup", "write", "-j", "--no-verify", "speed=150"} + serial,
         .outHas = "\"verified\":false", .json = "done", .eventHas = "settings written",
         .keys = writeKeys},
        {.name = "setup write of a setting the printer keeps: not-kept, naming both values",
         .printer = Printer::Serial, .simOptions = {"--keep-setting", "249"},
         .args = QStringList{"setup", "write", "-j", "speed=150"} + serial, .exitCode = 1,
         .errHas = "speed: written 150, the printer has 220",
         .outHas = "\"not_kept\":{\"speed\":{\"read\":220,\"written\":150}}", .json = "failed",
         .reason = "not-kept", .keys = writeKeys},
        {.name = "setup write --dry-run over TCP: stop-bits is write-only, never a difference",
         .printer = Printer::Tcp,
         .args = {"setup", "write", "-p", "ETHERNET_II", "--ip", "127.0.0.1", "--tcp-port", "{tcp}",
                  "--defaults", "--dry-run", "-j"},
         .errNot = "stop-bits:", .outHas = "\"write_only\":[\"stop-bits\"]", .json = "done",
         .eventNot = "setup mode entered", .keys = writeKeys},
        {.name = "setup read | setup write --from - on one Ethernet printer: the lock is free, "
                 "nothing differs",
         .printer = Printer::Tcp,
         .shell = R"(a="-p ETHERNET_II --ip 127.0.0.1 --tcp-port {tcp}"; )"
                  R"({korva} setup read $a | {korva} setup write $a --from - -j)",
         .outHas = "\"changed\":false", .json = "done", .reason = "none",
         .eventNot = "setup mode entered"},
        {.name = "setup write --from an empty file says it is empty", .printer = Printer::Serial,
         .shell = ": > {dir}/empty.txt; exec {korva} setup write -p {port} --flow none --from {dir}/empty.txt",
         .exitCode = 3, .errHas = "empty.txt: is empty", .simGetsNothing = true},
        {.name = "setup read with unknowns: exit 4, done, reason unknowns, listed",
         .printer = Printer::Serial, .simOptions = {"--setting", "249=abc"},
         .args = QStringList{"setup", "read", "-j"} + serial, .exitCode = 4,
         .outHas = "\"unknowns\":[\"speed\"]", .json = "done", .reason = "unknowns",
         .keys = {"settings", "write_only", "unknowns"}},
        {.name = "logo upload to a silent serial printer: sent, not confirmed, exit 0",
         .printer = Printer::Serial, .simOptions = {"--drop-answer-after", "0"},
         .args = QStringList{"logo", "upload", "-j", "{dir}/logo.bmp"} + serial,
         .outHas = "\"confirmed\":false", .json = "done", .reason = "not-confirmed",
         .keys = {"changed", "confirmed", "fingerprint", "logos", "skipped", "dry_run"}},
        {.name = "--require-confirmed: the same upload fails with its own reason",
         .printer = Printer::Serial, .simOptions = {"--drop-answer-after", "0"},
         .args = QStringList{"logo", "upload", "-j", "--require-confirmed", "{dir}/logo.bmp"} + serial,
         .exitCode = 1, .outHas = "\"confirmed\":false", .json = "failed", .reason = "confirm-required"},
        {.name = "KORVA_REQUIRE_CONFIRMED=1 does the same for a fleet run",
         .printer = Printer::Serial, .simOptions = {"--drop-answer-after", "0"},
         .shell = "KORVA_REQUIRE_CONFIRMED=1 exec {korva} setup test-page -p {port} --flow none -j",
         .exitCode = 1, .json = "failed", .reason = "confirm-required", .keys = {"confirmed"}},
        {.name = "logo upload twice with --if-changed: the second sends nothing",
         .printer = Printer::Serial,
         .shell = "{korva} logo upload -p {port} --flow none --if-changed -q {dir}/logo.bmp && "
                  "exec {korva} logo upload -p {port} --flow none --if-changed -j {dir}/logo.bmp",
         .outHas = "\"changed\":false", .json = "done", .reason = "none",
         .simHasOnce = "\x1c\x71\x01"},
        {.name = "logo upload --if-changed of another set: sent",
         .printer = Printer::Serial,
         .shell = "{korva} logo upload -p {port} --flow none --if-changed -q {dir}/logo.bmp && "
                  "exec {korva} logo upload -p {port} --flow none --if-changed -j {dir}/logo.bmp "
                  "{dir}/logo.bmp",
         .outHas = "\"changed\":true", .json = "done", .reason = "none",
         .simHasOnce = "\x1c\x71\x02"},
        {.name = "logo erase --if-changed after a confirmed erase sends nothing",
         .printer = Printer::Serial,
         .shell = "{korva} logo erase -p {port} --flow none -q && "
                  "{korva} logo erase -p {port} --flow none --if-changed -q && "
                  "exec {korva} logo erase -p {port} --flow none --if-changed -j",
         .outHas = "\"skipped\":true", .json = "done", .reason = "none", .simHasOnce = "\x1c\x71\x01"},
        {.name = "logo erase --if-changed after an upload: sent",
         .printer = Printer::Serial,
         .shell = "{korva} logo erase -p {port} --flow none -q && "
                  "{korva} logo upload -p {port} --flow none -q {dir}/logo.bmp {dir}/logo.bmp && "
                  "exec {korva} logo erase -p {port} --flow none --if-changed -j",
         .outHas = "\"changed\":true", .json = "done", .reason = "none", .simHasOnce = "\x1c\x71\x02"},
        {.name = "logo erase --dry-run: would change, sends nothing", .printer = Printer::Serial,
         .args = QStringList{"logo", "erase", "--dry-run", "-j", "-p", "{port}", "--flow", "none"},
         .outHas = "\"changed\":true", .json = "done", .simGetsNothing = true},
        {.name = "logo upload --dry-run of a process substitution: its name and fingerprints",
         .shell = "exec {korva} logo upload --dry-run <(cat {dir}/logo.bmp)",
         .outHas = "logo 1: /dev/fd/"},
        {.name = "net set with the values the printer holds: nothing sent", .printer = Printer::Udp,
         .simOptions = {"--ip", "127.8.0.7"}, .args = netSet + QStringList{"--ip", "127.8.0.7"},
         .outHas = "\"changed\":false", .json = "done", .reason = "none", .eventNot = "change held",
         .keys = netKeys},
        {.name = "net set --dry-run: the diff, nothing sent", .printer = Printer::Udp,
         .simOptions = {"--ip", "127.8.0.7"},
         .args = netSet + QStringList{"--ip", "127.8.0.9", "--dry-run"},
         .outHas = "\"changes\":{\"ip\":{\"from\":\"127.8.0.7\",\"to\":\"127.8.0.9\"}}",
         .json = "done", .eventNot = "change held", .keys = netKeys},
        {.name = "net set: done once the printer answers with the new address", .printer = Printer::Udp,
         .simOptions = {"--ip", "127.8.0.7"}, .args = netSet + QStringList{"--ip", "127.8.0.9"},
         .outHas = "\"after\":{\"dhcp\":false,\"gateway\":\"192.168.0.1\",\"ip\":\"127.8.0.9\"",
         .json = "done", .reason = "none", .eventHas = "change applied", .keys = netKeys},
        {.name = "net set with the apply datagram lost: the printer keeps its values, a failure",
         .printer = Printer::Udp, .simOptions = {"--ip", "127.8.0.7", "--udp-lose-apply"},
         .args = netSet + QStringList{"--ip", "127.8.0.9"}, .exitCode = 1,
         .errHas = "ip: 127.8.0.9 applied, the printer has 127.8.0.7", .json = "failed",
         .reason = "not-kept", .eventNot = "change applied", .keys = netKeys},
        {.name = "net set: a printer still restarting is applied, not confirmed",
         .printer = Printer::Udp, .simOptions = {"--ip", "127.8.0.7", "--udp-restart", "5000"},
         .args = netSet + QStringList{"--ip", "127.8.0.9", "--restart-wait", "1"},
         .outHas = "\"confirmed\":false", .json = "done", .reason = "not-confirmed",
         .eventHas = "change applied", .keys = netKeys},
        {.name = "--ip with leading zeros is decimal, and the result names the address as resolved",
         .printer = Printer::Tcp,
         .args = {"status", "-p", "ETHERNET_II", "--ip", "127.000.000.001", "--tcp-port", "{tcp}",
                  "--no-settings", "-j"},
         .outHas = "\"target\":{\"ip\":\"127.0.0.1\"", .json = "done",
         .keys = {"answered", "model_id", "model_id_hex", "series", "model", "settings", "network",
                  "status_block"}},
        {.name = "--ip takes a host name", .printer = Printer::Tcp,
         .args = {"status", "-p", "ETHERNET_II", "--ip", "localhost", "--tcp-port", "{tcp}",
                  "--no-settings", "-j"},
         .outHas = "\"ip\":\"127.0.0.1\"", .json = "done"},
        {.name = "two spellings of one address take one lock",
         .printer = Printer::Tcp, .simOptions = {"--drop-answer-after", "0"},
         .shell = R"({korva} status -p ETHERNET_II --ip 127.0.0.01 --tcp-port {tcp} --timeout 4000 -q >/dev/null 2>&1 & )"
                  R"(first=$!; for i in $(seq 500); do grep -q "FLOCK.* $first " /proc/locks && break; sleep 0.02; done; )"
                  R"(exec {korva} send -p ETHERNET_II --ip 127.0.0.1 --tcp-port {tcp} -j {dir}/stream.prn)",
         .exitCode = 1, .json = "failed", .reason = "busy"},
        {.name = "--wait-lock on a serial port is refused", .printer = Printer::Serial,
         .args = QStringList{"setup", "read", "--wait-lock", "5"} + serial, .exitCode = 2,
         .errHas = "--wait-lock is for Ethernet printers", .simGetsNothing = true},
        {.name = "status names the last automatic status block the printer sent",
         .printer = Printer::Serial, .simOptions = {"--status-blocks"},
         .args = QStringList{"status", "--no-settings", "-j"} + serial,
         .outHas = "\"status_block\":\"14 00 00 0F\"", .json = "done"},
        {.name = "status names a status block that came only during the settings read",
         .printer = Printer::Serial, .simOptions = {"--status-blocks-after-bytes", "4"},
         .args = QStringList{"status", "-j"} + serial,
         .outHas = "\"status_block\":\"14 00 00 0F\"", .json = "done", .eventHas = "automatic status on"},
        {.name = "status in text names the last automatic status block", .printer = Printer::Serial,
         .simOptions = {"--status-blocks"}, .args = QStringList{"status", "--no-settings"} + serial,
         .outHas = "  last automatic status block: 14 00 00 0F\n"},
        {.name = "status prints the model ID as the JSON gives it", .printer = Printer::Serial,
         .args = QStringList{"status", "--no-settings"} + serial, .outHas = "model ID 34 (hex 22, KORVA20II)"},
        {.name = "a signal's lines name the command", .printer = Printer::Serial,
         .simOptions = {"--drop-answer-after", "0"}, .args = QStringList{"setup", "read"} + serial,
         .signal = SIGINT, .underWay = AfterBytes(1), .exitCode = 130,
         .errHas = "korva setup read: reason: cancelled"},
        {.name = "--help lists exit codes 4 and 129", .args = {"--help"},
         .outHas = "4 read with\nunknowns (setup read), 129/130/143"},
    };
    for (const Row& row : rows) Check(row);
}

// --- one JSON shape per command, on success and on failure -----------------

TEST_F(CliContract, JsonShapeOfEveryCommand) {
    const QStringList missingPort{"-p", "/dev/ttyKORVA-none", "--flow", "none"};
    const QStringList serial{"-p", "{port}", "--flow", "none"};
    // The keys of each command as the README's JSON table lists them.
    const std::vector<const char*> upload{"dry_run", "changed", "confirmed", "skipped", "images",
                                          "images_begun", "bytes", "nv_bytes", "nv_capacity",
                                          "fingerprint", "logos"};
    const std::vector<const char*> setupWrite{"dry_run", "changed", "confirmed", "verified", "changes",
                                              "settings", "write_only", "not_kept"};
    const std::vector<const char*> status{"answered", "model_id", "model_id_hex", "series", "model",
                                          "settings", "write_only", "unknowns", "network",
                                          "status_block"};
    const std::vector<const char*> firmware{"dry_run", "changed", "series", "area", "bytes", "checksum",
                                            "resends", "erased", "erase_sent", "signature", "start",
                                            "end", "blocks"};
    const std::vector<const char*> netSet{"dry_run", "changed", "confirmed", "before", "after", "changes",
                                          "sender"};
    const std::vector<Row> rows = {
        {.name = "version", .args = {"version", "-j"}, .json = "done", .keys = {"version"}},
        {.name = "ports", .args = {"ports", "-j"}, .json = "done", .keys = {"ports"}},
        {.name = "send: done", .printer = Printer::Serial,
         .args = QStringList{"send", "-j", "{dir}/stream.prn"} + serial, .json = "done", .keys = {"bytes"}},
        {.name = "send: failed", .args = QStringList{"send", "-j", "{dir}/stream.prn"} + missingPort,
         .exitCode = 1, .json = "failed", .keys = {"bytes"}},
        {.name = "logo convert", .args = {"logo", "convert", "-j", "{dir}/logo.bmp", "--out", "{dir}/r.bin"},
         .json = "done", .keys = {"width", "height", "bytes"}},
        {.name = "logo list: failed", .args = {"logo", "list", "-j", "--profile", "{dir}/none.INI"},
         .exitCode = 3, .json = "failed", .keys = {"profile", "logos", "refused", "count", "bytes"}},
        {.name = "logo upload: done", .printer = Printer::Serial,
         .args = QStringList{"logo", "upload", "-j", "{dir}/logo.bmp"} + serial, .json = "done", .keys = upload},
        {.name = "logo upload: failed", .args = QStringList{"logo", "upload", "-j", "{dir}/logo.bmp"} + missingPort,
         .exitCode = 1, .json = "failed", .keys = upload},
        {.name = "logo upload: usage", .args = {"logo", "upload", "-j"}, .exitCode = 2, .json = "failed",
         .keys = upload},
        {.name = "logo erase: done", .printer = Printer::Serial,
         .args = QStringList{"logo", "erase", "-j"} + serial, .json = "done",
         .keys = {"dry_run", "changed", "confirmed", "skipped"}},
        {.name = "logo erase: failed", .args = QStringList{"logo", "erase", "-j"} + missingPort, .exitCode = 1,
         .json = "failed", .keys = {"dry_run", "changed", "confirmed", "skipped"}},
        {.name = "logo print: failed", .args = QStringList{"logo", "print", "-j", "--select", "1"} + missingPort,
         .exitCode = 1, .json = "failed", .keys = {"printed", "total", "confirmed"}},
        {.name = "firmware check: failed", .args = {"firmware", "check", "-j", "{dir}/bad.K20"}, .exitCode = 3,
         .json = "failed", .keys = {"series", "bytes", "signature", "device_type", "ext_font", "areas"}},
        {.name = "firmware download --dry-run", .printer = Printer::Serial,
         .args = {"firmware", "download", "-p", "{port}", "--model", "KORVA20IIS", "--area", "program",
                  "--dry-run", "-j", "{dir}/k22.K20"},
         .outHas = "\"changed\":true", .json = "done", .keys = firmware},
        {.name = "setup read: failed", .args = QStringList{"setup", "read", "-j"} + missingPort, .exitCode = 1,
         .outHas = "\"settings\":null", .json = "failed", .keys = {"settings", "write_only", "unknowns"}},
        {.name = "setup write: usage", .printer = Printer::Serial,
         .args = QStringList{"setup", "write", "-j", "speed=190"} + serial, .exitCode = 2, .json = "failed",
         .keys = setupWrite},
        {.name = "setup test-page: done", .printer = Printer::Serial,
         .args = QStringList{"setup", "test-page", "-j"} + serial, .json = "done", .keys = {"confirmed"}},
        {.name = "status: done", .printer = Printer::Serial, .args = QStringList{"status", "-j"} + serial,
         .json = "done", .keys = status},
        {.name = "status: failed", .args = QStringList{"status", "-j"} + missingPort, .exitCode = 1,
         .json = "failed", .keys = status},
        {.name = "net search: done", .printer = Printer::Udp, .args = {"net", "search", "{udp}", "-j"},
         .json = "done", .keys = {"printers"}},
        {.name = "net set: failed", .printer = Printer::Udp,
         .args = {"net", "set", "-j", "--mac", "00:2B:9E:00:00:01", "--ip", "127.8.0.7", "--mask",
                  "255.255.255.0", "--gateway", "127.8.0.1", "--tcp-port", "6001", "--dhcp", "off", "{udp}"},
         .exitCode = 1, .json = "failed", .keys = netSet},
    };
    for (const Row& row : rows) Check(row);
}

// --- help -----------------------------------------------------------------

TEST_F(CliContract, HelpLikeGits) {
    std::vector<Row> rows = {
        {.name = "--version", .args = {"--version"}, .outHas = "korva 1."},
        {.name = "a group lists its commands", .args = {"logo", "--help"},
         .outHas = "  logo upload           store bitmap files as NV logos in the printer\n"},
        {.name = "a group without its command", .args = {"setup"}, .exitCode = 2,
         .errHas = "  setup write"},
        {.name = "the mistyped word is named", .args = {"logo", "uplaod", "x.bmp"}, .exitCode = 2,
         .errHas = "korva logo: 'uplaod' is not a logo command (did you mean 'upload'?)\n"
                   "Try 'korva logo --help'.\n"},
        {.name = "a mistyped command", .args = {"prots"}, .exitCode = 2,
         .errHas = "'prots' is not a korva command (did you mean 'ports'?)"},
        {.name = "a mistyped option: two lines, not the whole help",
         .args = {"send", "--prot=/dev/ttyS0", "x.prn"}, .exitCode = 2,
         .errHas = "korva send: unknown option --prot (did you mean --port?)\n"
                   "Try 'korva send --help'.\n"},
    };
    for (const char* command : {"send", "ports", "version", "logo convert", "logo list", "logo upload",
                                "logo erase", "logo print", "firmware check", "firmware download",
                                "setup read", "setup write", "setup test-page", "net search",
                                "net set"}) {
        const QStringList words = QString(command).split(' ');
        rows.push_back({.name = command, .args = QStringList{"help"} + words,
                        .outHas = "usage: korva " + std::string(command)});
    }
    for (const Row& row : rows) Check(row);
}

}  // namespace
}  // namespace korva::test

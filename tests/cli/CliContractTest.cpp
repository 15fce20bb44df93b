// What a script relies on, for every `korva` command, run as a subprocess
// against korva-sim: a signal mid-run (exit code and what the printer holds),
// standard output on a full disk, --json on failure, --opt=value, "-" for
// standard input or output, and help. One row per command and case.
#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
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
};

struct Row {
    const char* name;
    Printer printer = Printer::None;
    QStringList simOptions = {};
    const char* input = nullptr;  ///< file of {dir} on standard input (else /dev/null)
    /// "{port}" the pty, "{udp}" the loopback endpoint options, "{listen}"
    /// the port answers come back to, "{dir}/" the test's directory.
    QStringList args = {};
    bool devFull = false;         ///< standard output is /dev/full
    int signal = 0;               ///< sent once the simulator's state says the work is under way
    bool twice = false;           ///< a second signal after the first was acknowledged
    std::function<bool(const QJsonObject&)> underWay = {};
    int exitCode = 0;
    std::string errHas = {};
    const char* errNot = nullptr;  ///< a text stderr must not hold
    std::string outHas = {};
    const char* json = nullptr;  ///< the outcome stdout's one JSON line must carry
};

struct Result {
    int exitCode = -1;
    std::string out, err;
};

long ReceivedBytes(const QJsonObject& state) {
    long total = 0;
    for (int i = 0; i < 4; ++i) total += SimHarness::Received(state, i).size();
    return total;
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

/// 200 small logos: more than the line holds in its buffers, so an upload
/// is still sending when the signal comes.
QStringList ManyLogos() {
    QStringList files;
    for (int i = 0; i < 200; ++i) files << "{dir}/logo.bmp";
    return files;
}

class CliContract : public ::testing::Test {
protected:
    static void SetUpTestSuite() { KorvaProcess(); }  // the core application object

    void SetUp() override {
        const auto black = logo::test::Rgb24Bmp(64, 48, [](int, int) { return logo::test::Rgb{}; });
        WriteFile(dir / "logo.bmp", black);
        WriteFile(dir / "stream.prn", PatternImage(64 * 1024, 3));
        WriteFile(dir / "k22.K20", NewSeriesImage("K22"));
        WriteFile(dir / "bad.K20", NewSeriesImage("X99"));
        WriteFile(dir / "fw.bin", PatternImage(0x200000, 5));
    }

    /// The printer of one row.
    struct Printers {
        SimHarness sim;
        LoopbackPrinter net;
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
        korva.start(KORVA_BIN_DIR "/korva", Expand(row, p));
        Result result;
        if (!korva.waitForStarted(10000)) return result;
        if (row.signal != 0) {
            const SimHarness& sim = row.printer == Printer::Udp ? p.net.sim : p.sim;
            const QJsonObject state = sim.WaitForState(row.underWay, 20000);
            EXPECT_TRUE(row.underWay(state)) << row.name << ": the work never got under way";
            ::kill(static_cast<pid_t>(korva.processId()), row.signal);
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
        if (row.printer == Printer::Udp) started = p.net.Start();
        ASSERT_TRUE(started) << p.sim.Error().toStdString() << p.net.sim.Error().toStdString();
        const Result r = Run(row, p);
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
        EXPECT_NE(r.err.find(row.errHas), std::string::npos) << r.err;
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
        {.name = "setup read: ends at once",
         .printer = Printer::Serial, .simOptions = {"--drop-answer-after", "0"},
         .args = {"setup", "read", "-p", "{port}", "--flow", "none"},
         .signal = SIGINT, .underWay = AfterBytes(1), .exitCode = 130,
         .errHas = "interrupted while reading; the printer is unchanged"},
        {.name = "setup write: nothing written yet",
         .printer = Printer::Serial, .simOptions = {"--drop-answer-after", "0"},
         .args = {"setup", "write", "-p", "{port}", "--flow", "none", "speed=150", "-j"},
         .signal = SIGTERM, .underWay = AfterBytes(1), .exitCode = 143,
         .errHas = "interrupted before anything was written", .json = "cancelled"},
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
         .errHas = "unknown option --serial", .json = "failed"},
        {.name = "version: usage", .args = {"version", "-j", "now"}, .exitCode = 2,
         .json = "failed"},
        {.name = "send: missing file", .args = {"send", "-p", "COM99", "-j", "{dir}/none.prn"},
         .exitCode = 3, .errHas = "cannot read", .json = "failed"},
        {.name = "logo convert: missing file",
         .args = {"logo", "convert", "-j", "{dir}/none.bmp", "--out", "{dir}/r.bin"},
         .exitCode = 3, .json = "failed"},
        {.name = "logo convert: unwritable output is a file problem",
         .args = {"logo", "convert", "-j", "{dir}/logo.bmp", "--out", "{dir}/no/dir/r.bin"},
         .exitCode = 3, .errHas = "cannot write", .json = "failed"},
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
         .exitCode = 3, .errHas = "ERROR : File is not firmware file!", .json = "failed"},
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
         .exitCode = 2, .errHas = "is a K22 image for KORVA20II printers", .json = "failed"},
        {.name = "setup read: silent printer", .printer = Printer::Serial,
         .simOptions = {"--drop-answer-after", "0"},
         .args = {"setup", "read", "-j", "-p", "{port}", "--flow", "none", "--timeout", "300"},
         .exitCode = 1, .errHas = "no answer for settings", .json = "failed"},
        {.name = "setup write: bad value", .printer = Printer::Serial,
         .args = {"setup", "write", "-j", "-p", "{port}", "speed=190"}, .exitCode = 2,
         .json = "failed"},
        {.name = "setup test-page: port",
         .args = QStringList{"setup", "test-page", "-j"} + missingPort, .exitCode = 1,
         .json = "failed"},
        {.name = "net search: nobody answers", .printer = Printer::Udp,
         .args = {"net", "search", "-j", "--broadcast", "127.0.0.1", "--udp-port", "9",
                  "--listen-port", "{listen}"},
         .exitCode = 1, .errHas = "no printer answered the search", .json = "failed"},
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
        {.name = "setup test-page --opt=value", .printer = Printer::Serial,
         .args = {"setup", "test-page", "--port={port}", "--flow=none"}, .errHas = "test page sent"},
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
         .errHas = "--fw.K22: ERROR : File Open"},
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

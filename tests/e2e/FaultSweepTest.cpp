// Every operation of `korva` against a printer that hangs up part way: at the
// quarters of the stream and in its last bytes, over a pty and over loopback
// TCP (reset and orderly close); one that stops reading, answers out of turn
// or pauses and reads on. "Done" (exit 0) is allowed only when the
// simulated printer holds the whole result a fault-free run leaves, and every
// run ends in bounded time.
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "LogoE2E.h"
#include "firmware/FirmwareImages.h"

using namespace korva::test;

namespace {

enum class Link { Serial, Tcp };

struct Operation {
    const char* name;
    Link link;
    QStringList simOptions;
    /// The command line without the port; files in `dir`.
    std::function<QStringList(const TestDir& dir)> args;
    /// What the printer holds once the operation took effect.
    std::function<QJsonValue(const QJsonObject& state)> result;
    /// An orderly close after the last byte is how the printer ends it (the
    /// newer firmware restarts): a close at each of the last 16 bytes is swept.
    bool closeEndsIt = false;
    /// Ends by asking the printer for its ID after the last byte.
    bool endCheck = false;
};

void PrintTo(const Operation& op, std::ostream* out) { *out << op.name; }

/// The bound on one run: the longest wait of any operation (an upload's
/// erase, the firmware's settling) plus the answer time and a good margin.
constexpr int kRunBoundMs = 40'000;

QJsonValue LastFirmware(const QJsonObject& state) {
    const QJsonArray list = state["firmware"].toArray();
    if (list.isEmpty()) return {};
    QJsonObject fw = list.last().toObject();
    fw.remove("naks");
    return fw;
}

QJsonValue TotalReceived(const QJsonObject& state) {
    qint64 total = 0;
    for (const QJsonValue& c : state["received"].toArray()) total += c["byte_count"].toInteger();
    return total;
}

/// The printer's stack reset the connection it was to close in order:
/// received bytes were still waiting unread.
bool ClosedWithUnread(const QJsonObject& state) {
    for (const QJsonValue& event : state["events"].toArray())
        if (event.toString().contains("bytes unread")) return true;
    return false;
}

QStringList PortArgs(const SimHarness& sim, Link link) {
    if (link == Link::Serial) return {"--port", sim.SerialPath(), "--flow", "none"};
    return {"--port", "ETHERNET_II", "--ip", "127.0.0.1", "--tcp-port", QString::number(sim.TcpPort())};
}

struct RunResult {
    int exitCode = -1;
    QJsonObject json;
    QString err;
    qint64 elapsedMs = 0;
};

RunResult RunKorvaJson(const QStringList& args) {
    QProcess korva;
    korva.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    korva.start(KORVA_BIN_DIR "/korva", args);
    RunResult run;
    if (!korva.waitForStarted(10'000)) return run;
    if (!korva.waitForFinished(kRunBoundMs)) {
        korva.kill();
        korva.waitForFinished(3000);
    } else if (korva.exitStatus() == QProcess::NormalExit) {
        run.exitCode = korva.exitCode();
    }
    run.elapsedMs = timer.elapsed();
    run.err = QString::fromUtf8(korva.readAllStandardError());
    const QList<QByteArray> lines = korva.readAllStandardOutput().trimmed().split('\n');
    run.json = QJsonDocument::fromJson(lines.last()).object();
    return run;
}

std::vector<Operation> Operations() {
    const auto upload = [](const TestDir& dir) {
        return QStringList{"logo", "upload",
                           QString::fromStdString(WritePatternBmp(dir, "one.bmp", 100, 30)),
                           QString::fromStdString(WritePatternBmp(dir, "two.bmp", 512, 8))};
    };
    // Headers make the stream long enough for its last 64 bytes to be a place of their own.
    const auto print = [](const TestDir&) {
        return QStringList{"logo", "print", "--select", "1-8", "--header"};
    };
    const auto testPage = [](const TestDir&) { return QStringList{"setup", "test-page"}; };
    const auto firmware = [](const TestDir& dir) {
        WriteFile(dir / "fw.K20", NewSeriesImage("K23"));
        return QStringList{"firmware", "download", "--device-type", "3", "--area", "downloader",
                           "--yes", QString::fromStdString((dir / "fw.K20").string())};
    };
    const auto send = [](const TestDir& dir) {
        WriteFile(dir / "stream.prn", PatternImage(20'000, 3));
        return QStringList{"send", QString::fromStdString((dir / "stream.prn").string())};
    };
    const auto setupWrite = [](const TestDir&) {
        return QStringList{"setup", "write", "--no-read", "speed=150", "margin=100", "cut-adjust=9"};
    };
    const auto settings = [](const QJsonObject& s) {
        return QJsonValue(QJsonObject{{"settings", s["settings"]}, {"setup_mode", s["setup_mode"]}});
    };
    const auto nvImages = [](const QJsonObject& s) { return s["nv_images"]; };
    const auto printed = [](const QJsonObject& s) { return s["printed"]; };
    const auto page = [](const QJsonObject& s) {
        return QJsonValue(QJsonObject{{"lines", s["lines"]}, {"cuts", s["cuts"]}});
    };
    std::vector<Operation> ops;
    for (Link link : {Link::Serial, Link::Tcp}) {
        const bool serial = link == Link::Serial;
        ops.push_back({serial ? "UploadSerial" : "UploadTcp", link, {}, upload, nvImages, false, true});
        ops.push_back({serial ? "PrintSerial" : "PrintTcp", link, {}, print, printed, false, true});
        ops.push_back({serial ? "TestPageSerial" : "TestPageTcp", link, {}, testPage, page, false, true});
        ops.push_back({serial ? "NewFirmwareSerial" : "NewFirmwareTcp", link, {"--series", "3"},
                       firmware, LastFirmware, true});
        ops.push_back({serial ? "SendSerial" : "SendTcp", link, {}, send, TotalReceived});
        ops.push_back({serial ? "SetupWriteSerial" : "SetupWriteTcp", link, {}, setupWrite, settings});
    }
    return ops;
}

class FaultSweep : public ::testing::TestWithParam<Operation> {
protected:
    void SetUp() override { EnsureQtApp(); }

    /// One run against a fresh printer with `faults`; returns its result and the state.
    /// `until`: the state to wait for after the run (up to 6 s), else 300 ms.
    RunResult Run(const QStringList& faults, QJsonObject* state,
                  const std::function<bool(const QJsonObject&)>& until = {}) {
        const Operation& op = GetParam();
        SimHarness sim;
        const QStringList transport =
            op.link == Link::Serial ? QStringList{"--serial"} : QStringList{"--tcp", "127.0.0.1:0"};
        if (!sim.Start(transport + op.simOptions + faults)) {
            ADD_FAILURE() << sim.Error().toStdString();
            return {};
        }
        TestDir dir;
        RunResult run = RunKorvaJson(op.args(dir) + PortArgs(sim, op.link) + QStringList{"--json"});
        // The printer's last word: what it took before the run ended.
        *state = until ? sim.WaitForState(until, 6000)
                       : sim.WaitForState([](const QJsonObject&) { return false; }, 300);
        return run;
    }
};

TEST_P(FaultSweep, DoneOnlyWhenThePrinterHoldsTheWholeResult) {
    const Operation& op = GetParam();
    QJsonObject reference;
    const RunResult clean = Run({}, &reference);
    ASSERT_EQ(clean.exitCode, 0) << clean.err.toStdString();
    // Null where nothing was asked (send); never false over TCP.
    if (op.link == Link::Tcp) {
        EXPECT_NE(clean.json["confirmed"], QJsonValue(false));
    }
    const QJsonValue whole = op.result(reference);
    const qint64 length = TotalReceived(reference).toInteger();
    ASSERT_GT(length, 16);

    struct Fault {
        qint64 offset;
        const char* ending;
    };
    std::vector<Fault> faults;
    for (qint64 offset : {length / 4, length / 2, length * 3 / 4}) faults.push_back({offset, "reset"});
    // A short stream's last 64 bytes start before its first quarter: not swept twice.
    for (qint64 offset : {length - 64, length - 8, length - 1}) {
        if (offset <= length / 4) continue;
        faults.push_back({offset, "reset"});
        if (op.link == Link::Tcp && !op.closeEndsIt) faults.push_back({offset, "close"});
    }
    // Only a close after the last byte is the restart: not one at the end of
    // the next-to-last block, before the last is sent, nor one in the last bytes.
    if (op.link == Link::Tcp && op.closeEndsIt) {
        faults.push_back({length - 4096, "close"});
        for (qint64 offset = length - 16; offset < length; ++offset) faults.push_back({offset, "close"});
    }
    // A printer that stops reading: the line's queue or the small TCP
    // receive buffer pushes back.
    faults.push_back({length / 4, "stall"});
    // A printer that stops reading part way while a stray byte, an automatic
    // status block or the late answer to the opening check arrives where the
    // tool waits for the end check's answer.
    if (op.endCheck) {
        faults.push_back({length - 8, "stray"});
        faults.push_back({length - 8, "status"});
        faults.push_back({length / 2, "late"});
        faults.push_back({length / 2, "late-short"});
    }
    // A printer that stops reading for 3 s and reads on has not failed: at
    // the quarter, and in the last bytes, where the end wait has begun.
    faults.push_back({length / 4, "pause"});
    faults.push_back({length - 8, "pause"});
    for (const Fault& fault : faults) {
        SCOPED_TRACE(std::string(op.name) + " fault after " + std::to_string(fault.offset) + " of " +
                     std::to_string(length) + " bytes (" + fault.ending + ")");
        QJsonObject state;
        const std::string ending = fault.ending;
        QStringList options;
        if (ending == "stray") {
            options << "--stall-after-bytes" << QString::number(fault.offset) << "--stray-after-bytes"
                    << QString::number(fault.offset);
        } else if (ending == "status") {
            options << "--stall-after-bytes" << QString::number(fault.offset) << "--status-blocks";
        } else if (ending == "stall") {
            options << "--stall-after-bytes" << QString::number(fault.offset);
        } else if (ending == "late" || ending == "late-short") {
            options << "--stall-after-bytes" << QString::number(fault.offset) << "--first-answer-delay"
                    << (ending == "late" ? "1500" : "600");
        } else if (ending == "pause") {
            options << "--pause-after-bytes" << QString::number(fault.offset) << "--pause-ms" << "3000";
        } else {
            options << "--disconnect-after-bytes" << QString::number(fault.offset);
            if (op.link == Link::Tcp) options << "--tcp-hang-up" << fault.ending;
        }
        // Without a question at the end, "done" vouches for what the
        // printer's stack took: its reader takes the rest after a pause.
        std::function<bool(const QJsonObject&)> until;
        if (ending == "pause" && !op.endCheck)
            until = [&](const QJsonObject& s) { return op.result(s) == whole; };
        const RunResult run = Run(options, &state, until);
        EXPECT_LT(run.elapsedMs, kRunBoundMs);
        if (ending == "pause") {
            EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
            EXPECT_EQ(op.result(state), whole) << run.err.toStdString();
            // Over a pty only an operation that asks the printer can know.
            if (op.link == Link::Tcp || op.endCheck) {
                EXPECT_NE(run.json["confirmed"], QJsonValue(false)) << run.err.toStdString();
            }
            continue;
        }
        EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 1) << run.exitCode << run.err.toStdString();
        // Sent, not confirmed is honest only where the printer never
        // answered on a line that may be wired one way; TCP always answers.
        const bool unconfirmed = run.json["confirmed"] == QJsonValue(false);
        if (run.exitCode == 0 && unconfirmed) {
            EXPECT_EQ(op.link, Link::Serial) << "sent, not confirmed over TCP:\n" << run.err.toStdString();
        } else if (run.exitCode == 0) {
            EXPECT_EQ(op.result(state), whole) << "reported done:\n" << run.err.toStdString();
        } else {
            EXPECT_EQ(run.json["outcome"].toString(), "failed") << run.err.toStdString();
            // An orderly close loses nothing the printer took: a hang-up, not a
            // reset; a stack closing with bytes unread resets all the same.
            if (op.link == Link::Tcp && ending == "close") {
                EXPECT_EQ(run.json["reason"].toString(), ClosedWithUnread(state) ? "reset" : "hang-up")
                    << run.err.toStdString();
            }
            // Past what the printer's buffers hold, the sender sees the stall.
            if (ending == "stall" && length - fault.offset > 32768) {
                EXPECT_EQ(run.json["reason"].toString(), "stalled") << run.err.toStdString();
            }
            // The count is what the printer acknowledged: what it read, and
            // at most what its stack holds unread (its small receive buffer
            // and the reader's own), never what the sender's buffers took.
            if (ending == "stall" && op.link == Link::Tcp && run.json["bytes"].isDouble()) {
                const qint64 said = run.json["bytes"].toInteger();
                const qint64 read = TotalReceived(state).toInteger();
                EXPECT_LE(std::llabs(said - read), 3 * 4096)
                    << "said " << said << ", the printer read " << read << "\n" << run.err.toStdString();
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultSweep, ::testing::ValuesIn(Operations()),
                         [](const ::testing::TestParamInfo<Operation>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace

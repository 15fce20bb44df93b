// Whose logos korva remembers: an Ethernet printer is known by its MAC, so a
// printer at a new address, or reached through another port, keeps its
// record, and another printer at a known address has none. Each row runs
// `korva logo` against korva-sim printers on loopback TCP, answering the
// network-setting search on loopback UDP; the judge is what each printer
// received.
#include <gtest/gtest.h>

#include <QJsonObject>
#include <algorithm>
#include <filesystem>
#include <memory>
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

constexpr const char* kMac = "00:2B:9E:12:34:56";
constexpr const char* kOtherMac = "00:2B:9E:65:43:21";

/// One simulated printer: where it listens and what it reports.
struct PrinterAt {
    const char* address;  ///< its loopback address, for TCP and UDP
    const char* mac;
};

/// One korva run against printer `printer` (an index of the row's printers).
struct Step {
    int printer;
    const char* command;  ///< "upload" or "erase"
    int logos = 1;        ///< for an upload: how many copies of the picture
    bool ifChanged = true;
    bool answersSearch = true;  ///< false: the search goes to a port nobody answers on
};

struct Row {
    const char* name;
    std::vector<PrinterAt> printers;
    std::vector<Step> steps;
    /// NV definitions (FS q) each printer received, in the order of `printers`.
    std::vector<int> definitions;
    std::vector<const char*> records;  ///< the record files left, by name
};

int Definitions(const QJsonObject& state) {
    int count = 0;
    for (int i = 0; i < 16; ++i)
        count += static_cast<int>(SimHarness::Received(state, i).count("\x1c\x71"));  // FS q
    return count;
}

class LogoRecord : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto black = logo::test::Rgb24Bmp(64, 48, [](int, int) { return logo::test::Rgb{}; });
        WriteFile(dir / "logo.bmp", black);
    }

    KorvaResult Run(const Step& step, SimHarness& sim, quint16 listenPort, const char* address) {
        KorvaProcess korva;
        korva.SetEnv("XDG_CONFIG_HOME", QString::fromStdString((dir / "config").string()));
        korva.SetEnv("XDG_STATE_HOME", QString::fromStdString((dir / "state").string()));
        const quint16 udpPort = step.answersSearch ? sim.UdpPort() : FreeLoopbackUdpPort();
        QStringList args{"logo", step.command, "-p", "ETHERNET_II", "--ip", address, "--tcp-port",
                         QString::number(sim.TcpPort()), "--listen-port", QString::number(listenPort),
                         "--udp-port", QString::number(udpPort)};
        if (step.ifChanged) args << "--if-changed";
        if (std::string(step.command) == "upload")
            for (int i = 0; i < step.logos; ++i) args << QString::fromStdString((dir / "logo.bmp").string());
        return korva.Run(args);
    }

    void Check(const Row& row) {
        SCOPED_TRACE(row.name);
        std::vector<std::unique_ptr<SimHarness>> sims;
        std::vector<quint16> listenPorts;
        for (const PrinterAt& printer : row.printers) {
            const QString address = printer.address;
            listenPorts.push_back(FreeLoopbackUdpPort());
            sims.push_back(std::make_unique<SimHarness>());
            ASSERT_TRUE(sims.back()->Start({"--tcp", address + ":0", "--udp", address + ":0",
                                            "--udp-reply-port", QString::number(listenPorts.back()),
                                            "--ip", address, "--mac", printer.mac}))
                << sims.back()->Error().toStdString();
        }
        for (const Step& step : row.steps) {
            const size_t i = static_cast<size_t>(step.printer);
            const KorvaResult r = Run(step, *sims[i], listenPorts[i], row.printers[i].address);
            ASSERT_EQ(r.exitCode, 0) << step.command << " to printer " << step.printer << ": " << r.err;
        }
        for (size_t i = 0; i < sims.size(); ++i) {
            // The simulator writes its state a moment after it took the bytes.
            const int wanted = row.definitions[i];
            const QJsonObject state =
                sims[i]->WaitForState([&](const QJsonObject& s) { return Definitions(s) == wanted; }, 2000);
            EXPECT_EQ(Definitions(state), wanted) << "printer " << i;
        }
        std::vector<std::string> left;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(dir / "state/korvatool/logos", error))
            left.push_back(entry.path().filename().string());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, std::vector<std::string>(row.records.begin(), row.records.end()));
    }

    TestDir dir;
};

TEST_F(LogoRecord, FollowsThePrintersMac) {
    const std::vector<Row> rows = {
        {.name = "the printer at a new address keeps its record: the second upload sends nothing",
         .printers = {{"127.0.0.1", kMac}, {"127.0.0.2", kMac}},
         .steps = {{.printer = 0, .command = "upload"}, {.printer = 1, .command = "upload"}},
         .definitions = {1, 0}, .records = {"mac-00_2B_9E_12_34_56.fingerprint"}},
        {.name = "one printer through two ports of one address: one record",
         .printers = {{"127.0.0.1", kMac}, {"127.0.0.1", kMac}},
         .steps = {{.printer = 0, .command = "erase", .ifChanged = false},
                   {.printer = 1, .command = "erase"}},
         .definitions = {1, 0}, .records = {"mac-00_2B_9E_12_34_56.fingerprint"}},
        {.name = "another printer at the address the first one had: its own record, sent",
         .printers = {{"127.0.0.1", kMac}, {"127.0.0.1", kOtherMac}},
         .steps = {{.printer = 0, .command = "upload"}, {.printer = 1, .command = "upload"}},
         .definitions = {1, 1},
         .records = {"mac-00_2B_9E_12_34_56.fingerprint", "mac-00_2B_9E_65_43_21.fingerprint"}},
        {.name = "another set for the printer at its new address: sent, and the one record has it",
         .printers = {{"127.0.0.1", kMac}, {"127.0.0.2", kMac}},
         .steps = {{.printer = 0, .command = "upload"},
                   {.printer = 1, .command = "upload", .logos = 2},
                   {.printer = 0, .command = "upload", .logos = 2}},
         .definitions = {1, 1}, .records = {"mac-00_2B_9E_12_34_56.fingerprint"}},
        {.name = "no answer to the search: the record goes by address and port, and is still read "
                 "once the MAC is known, then moves to it",
         .printers = {{"127.0.0.1", kMac}},
         .steps = {{.printer = 0, .command = "upload", .answersSearch = false},
                   {.printer = 0, .command = "upload"},
                   {.printer = 0, .command = "erase", .ifChanged = false},
                   {.printer = 0, .command = "erase"}},
         .definitions = {2}, .records = {"mac-00_2B_9E_12_34_56.fingerprint"}},
    };
    for (const Row& row : rows) {
        Check(row);
        std::filesystem::remove_all(dir / "state");
    }
}

}  // namespace
}  // namespace korva::test

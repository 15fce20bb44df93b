#include "ui/NetAddress.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>

#include "support/QtTestSupport.h"
#include "ui/Language.h"

using namespace korva::ui;
using korva::test::MessageRecorder;

namespace {
class NetAddressTest : public ::testing::Test {
protected:
    NetAddressTest() { korva::test::TestApp(); }
    void Fill(CNetAddress& dlg, const QString& ip, const QString& port) {
        dlg.IpEdit()->setText(ip);
        dlg.PortEdit()->setText(port);
    }
    MessageRecorder messages;
};
}  // namespace

TEST_F(NetAddressTest, FirstOpeningShowsTheDefaults) {
    CNetAddress dlg;
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Ethernet-II Network");
    EXPECT_EQ(dlg.IpEdit()->text(), "192.168.0.254");
    EXPECT_EQ(dlg.PortEdit()->text(), "6001");
}

TEST_F(NetAddressTest, OutOfRangeValuesAreRefusedWithoutConnecting) {
    CNetAddress dlg;
    dlg.show();
    Fill(dlg, "127.0.0.1", "65535");
    dlg.accept();
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Please enter PORT number between 1024 ~ 65534."});
    EXPECT_FALSE(dlg.IsChecking());
    Fill(dlg, "127.0.0.1", "1023");
    dlg.accept();
    EXPECT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(dlg.TcpPortCopy(), 6001) << "the tools' copy only changes after the range check";

    // Each refusal names its own cause.
    const struct {
        const char* ip;
        const char* says;
    } refused[] = {
        {"10.0.0", "IP: the address is incomplete: enter four numbers, each 0 ~ 255."},
        {"300.1.1.1", "IP: each of the four numbers must be between 0 ~ 255."},
        {"1.2.3.4.5", "IP: an address has four numbers, not more."},
        {"", "IP: the address is empty: enter four numbers, each 0 ~ 255."},
    };
    for (const auto& row : refused) {
        messages.texts.clear();
        Fill(dlg, "", "6001");
        for (const QChar c : QString(row.ip)) {  // typed: no keystroke is dropped
            QKeyEvent press(QEvent::KeyPress, 0, {}, QString(c));
            QApplication::sendEvent(dlg.IpEdit(), &press);
        }
        EXPECT_EQ(dlg.IpEdit()->text(), row.ip);
        dlg.accept();
        EXPECT_EQ(messages.texts, std::vector<std::string>{row.says}) << row.ip;
        EXPECT_FALSE(dlg.IsChecking());
    }
    EXPECT_TRUE(dlg.isVisible());

    // A second opening shows what the last OK took, even though it failed.
    Fill(dlg, "10.1.2.3", "70000");
    dlg.accept();
    dlg.hide();
    dlg.show();
    EXPECT_EQ(dlg.IpEdit()->text(), "10.1.2.3");
    EXPECT_EQ(dlg.PortEdit()->text(), "70000");
}

// Addresses ending in .255 or .0 are hosts in a subnet wider than /24.
class NetAddressHostTest : public NetAddressTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(NetAddressHostTest, OkClosesWhenThePrinterAcceptsAConnection) {
    QTcpServer printer;
    ASSERT_TRUE(printer.listen(QHostAddress(QString::fromLatin1(GetParam()))));
    CNetAddress dlg;
    dlg.show();
    Fill(dlg, QString::fromLatin1(GetParam()), QString::number(printer.serverPort()));
    // Cancel and a second OK pressed during the check wait for it.
    bool wasChecking = false;
    // The first turn of the check's own event loop: on loopback the
    // connection may be made within a few milliseconds.
    QTimer::singleShot(0, [&] {
        wasChecking = dlg.IsChecking();
        dlg.reject();
        dlg.accept();
    });
    dlg.accept();
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(wasChecking);
    EXPECT_EQ(dlg.TcpPortCopy(), printer.serverPort());
    EXPECT_TRUE(printer.hasPendingConnections() || printer.waitForNewConnection(1000));
}

INSTANTIATE_TEST_SUITE_P(LoopbackHosts, NetAddressHostTest,
                         ::testing::Values("127.0.0.1", "127.0.1.255", "127.8.0.0"));

// The dialog reads an address as korva --ip does: a leading zero is decimal
// (the C library would take 010 for 8, a different printer).
TEST_F(NetAddressTest, ALeadingZeroIsDecimal) {
    QTcpServer printer;
    ASSERT_TRUE(printer.listen(QHostAddress(QStringLiteral("127.0.1.10"))));
    CNetAddress dlg;
    dlg.show();
    Fill(dlg, QStringLiteral("127.000.001.010"), QString::number(printer.serverPort()));
    dlg.accept();
    EXPECT_TRUE(messages.texts.empty()) << messages.texts.front();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.CheckedAddress(), "127.0.1.10");
    EXPECT_TRUE(printer.hasPendingConnections() || printer.waitForNewConnection(1000));
}

TEST_F(NetAddressTest, NoPrinterListeningGivesPrinterCheckAndStaysOpen) {
    quint16 closedPort = 0;
    {
        QTcpServer gone;
        ASSERT_TRUE(gone.listen(QHostAddress::LocalHost));
        closedPort = gone.serverPort();
    }
    CNetAddress dlg;
    dlg.show();
    Fill(dlg, "127.0.0.1", QString::number(closedPort));
    int eventsDuringCheck = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++eventsDuringCheck; });
    ticker.start(20);
    dlg.accept();
    ticker.stop();
    // The check's own line first, then the cause and what to check.
    EXPECT_EQ(messages.texts, std::vector<std::string>{
                                  "ERROR : Printer check.\r\nThe printer refused the connection.\r\nNothing takes "
                                  "connections on that TCP port: check the port number (6001 unless it was "
                                  "changed) and that the address is the printer's."});
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(dlg.OkButton()->isEnabled());
    EXPECT_FALSE(dlg.IsChecking());
    EXPECT_GE(eventsDuringCheck, 10) << "the window kept running its event loop";
}

TEST_F(NetAddressTest, KoreanButtonsAndLabelledFields) {
    SetKoreanLabelsOverride(true);
    CNetAddress dlg;
    SetKoreanLabelsOverride(std::nullopt);
    EXPECT_EQ(dlg.NetworkSettingButton()->text(), QString::fromUtf8("네트워크 설정"));
    EXPECT_EQ(dlg.IpEdit()->accessibleName(), "IP");
    EXPECT_EQ(dlg.PortEdit()->accessibleName(), "PORT");
}

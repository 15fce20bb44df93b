// `korva ports` as a subprocess on fake device trees: what is listed, in
// which order, as text and as JSON.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "FakeDeviceTree.h"
#include "KorvaProcess.h"

using korva::test::FakeDeviceTree;
using korva::test::KorvaProcess;
using korva::test::KorvaResult;

namespace {

/// Two serial ports among ttys without hardware, two parallel ports, a KORVA
/// USB printer with a lower-case id, another maker's printer, one whose ids
/// cannot be read.
void FillMixedTree(FakeDeviceTree& tree) {
    tree.AddTty("ttyUSB0", true);
    tree.AddTty("ttyS1", true, "0");  // an 8250 slot with no UART behind it
    tree.AddTty("ttyS0", true, "4");
    tree.AddTty("tty0", false);  // a virtual console
    tree.AddParport("parport1");
    tree.AddParport("parport0");
    tree.AddUsbPrinter(1, "04b8", "0202", "0100");
    tree.AddUsbPrinter(0, "7f3d", "0102", "0100");
    tree.AddUsbPrinter(2, "", "0101", "0100");
}

KorvaResult Ports(const FakeDeviceTree& tree, const QStringList& args = {}) {
    KorvaProcess korva;
    tree.Apply(korva);
    return korva.Run(QStringList{"ports"} + args);
}

}  // namespace

TEST(PortsCommand, ListsEachKindOnePerLine) {
    FakeDeviceTree tree;
    FillMixedTree(tree);
    const KorvaResult r = Ports(tree);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string expected =
        "serial    " + tree.DevPath("ttyS0") + "\n" + "serial    " + tree.DevPath("ttyUSB0") +
        "\n" + "parallel  " + tree.DevPath("parport0") + "\n" + "parallel  " +
        tree.DevPath("parport1") + "\n" + "usb       " + tree.DevPath("usb/lp0") +
        "  USB\\VID_7f3d&PID_0102&REV_0100  KORVA20II\n" + "usb       " + tree.DevPath("usb/lp1") +
        "  USB\\VID_04b8&PID_0202&REV_0100\n" + "usb       " + tree.DevPath("usb/lp2") +
        "  (ids unreadable)\n";
    EXPECT_EQ(r.out, expected);
}

TEST(PortsCommand, JsonHasTheSameEntries) {
    FakeDeviceTree tree;
    FillMixedTree(tree);
    const KorvaResult r = Ports(tree, {"--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out;
    const auto path = [&](const char* name) { return QString::fromStdString(tree.DevPath(name)); };
    const QJsonArray expected{
        QJsonObject{{"kind", "serial"}, {"path", path("ttyS0")}},
        QJsonObject{{"kind", "serial"}, {"path", path("ttyUSB0")}},
        QJsonObject{{"kind", "parallel"}, {"path", path("parport0")}},
        QJsonObject{{"kind", "parallel"}, {"path", path("parport1")}},
        QJsonObject{{"kind", "usb"},
                    {"path", path("usb/lp0")},
                    {"hardware_id", "USB\\VID_7f3d&PID_0102&REV_0100"},
                    {"series", "KORVA20II"},
                    {"model", QJsonValue()},
                    {"device_id", QJsonValue()}},
        QJsonObject{{"kind", "usb"},
                    {"path", path("usb/lp1")},
                    {"hardware_id", "USB\\VID_04b8&PID_0202&REV_0100"},
                    {"series", QJsonValue()},
                    {"model", QJsonValue()},
                    {"device_id", QJsonValue()}},
        QJsonObject{{"kind", "usb"},
                    {"path", path("usb/lp2")},
                    {"hardware_id", QJsonValue()},
                    {"series", QJsonValue()},
                    {"model", QJsonValue()},
                    {"device_id", QJsonValue()}},
    };
    EXPECT_EQ(doc.object()["outcome"], "done") << r.out;
    EXPECT_EQ(doc.object()["ports"].toArray(), expected) << r.out;
}

TEST(PortsCommand, UpperCaseIdsOfTheFirstSeries) {
    FakeDeviceTree tree;
    tree.AddUsbPrinter(0, "7F3D", "0101", "0200");
    const KorvaResult r = Ports(tree);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "usb       " + tree.DevPath("usb/lp0") +
                         "  USB\\VID_7F3D&PID_0101&REV_0200  KORVA20\n");
}

TEST(PortsCommand, NothingFoundIsNoError) {
    FakeDeviceTree empty;
    KorvaResult r = Ports(empty);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("no serial, parallel or USB printer port found"), std::string::npos)
        << r.err;
    r = Ports(empty, {"--json"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(r.out))["ports"].toArray(),
              QJsonArray());
}

TEST(PortsCommand, HelpAndUsageErrors) {
    FakeDeviceTree tree;
    KorvaResult r = Ports(tree, {"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.starts_with("usage: korva ports\n")) << r.out;
    r = Ports(tree, {"--serial"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("unknown option --serial"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

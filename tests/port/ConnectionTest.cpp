#include "port/Connection.h"
#include "port/DeviceType.h"

#include <gtest/gtest.h>

using namespace korva::port;

TEST(DeviceType, FirstMatchingBeginningWins) {
    EXPECT_EQ(DeviceTypeForModel("KORVA10S"), 2);
    EXPECT_EQ(DeviceTypeForModel("KORVA20IIU-II"), 3);
    EXPECT_EQ(DeviceTypeForModel("VQM-5146X"), 3);
    EXPECT_EQ(DeviceTypeForModel("LUN 07II"), 3);
    EXPECT_EQ(DeviceTypeForModel("HX-6040"), 3);
    EXPECT_EQ(DeviceTypeForModel("KORVA20S"), 1);
    EXPECT_EQ(DeviceTypeForModel("ZOB480"), 1);
    EXPECT_EQ(DeviceTypeForModel(""), 1);
    // The dialog's class looks at six characters, the device type at eight.
    EXPECT_EQ(ModelClassForModel("VQM-5150"), 3);
    EXPECT_EQ(DeviceTypeForModel("VQM-5150"), 1);
    EXPECT_EQ(ModelClassForModel("ZOB480A"), 1);
    EXPECT_EQ(ModelClassForModel("EPSON"), 0);
}

TEST(Connection, FieldParsersAcceptTheirWordsAndRefuseTheRest) {
    EXPECT_EQ(*ParseBaudRate("9600").value, 9600);
    EXPECT_FALSE(ParseBaudRate("9601"));
    EXPECT_FALSE(ParseBaudRate("-9600"));
    EXPECT_FALSE(ParseBaudRate("115200x"));
    EXPECT_FALSE(ParseBaudRate("99999999999999999999"));
    EXPECT_EQ(*ParseDataBits("5").value, 5);
    EXPECT_FALSE(ParseDataBits("4"));
    EXPECT_FALSE(ParseDataBits("9"));
    EXPECT_EQ(*ParseParity("EVEN").value, kParityEven);
    EXPECT_EQ(*ParseParity("odd").value, kParityOdd);
    EXPECT_FALSE(ParseParity("mark"));
    EXPECT_EQ(*ParseStopBits("1.5").value, kStopBits1_5);
    EXPECT_EQ(*ParseStopBits("2").value, kStopBits2);
    EXPECT_FALSE(ParseStopBits("3"));
    EXPECT_EQ(*ParseFlowControl("sw").value, kFlowSoftware);
    EXPECT_EQ(*ParseFlowControl("none").value, kFlowNone);
    EXPECT_FALSE(ParseFlowControl("rts"));
    EXPECT_EQ(*ParseIpAddress("10.0.0.1").value, "10.0.0.1");
    for (const char* bad : {"10.0.0", "10.0.0.256", "10..0.1", "10.0.0.1.", "a.b.c.d", "1.2.3.0004"}) {
        EXPECT_FALSE(ParseIpAddress(bad)) << bad;
    }
    EXPECT_FALSE(ParseTcpPort("0"));
    EXPECT_FALSE(ParseTcpPort("65536"));
    EXPECT_EQ(*ParseTcpPort("9100").value, 9100);
    EXPECT_NE(ParseParity("mark").error.find("\"mark\""), std::string::npos);
}

TEST(Connection, PseudoNamesUpperCasedPathsKept) {
    EXPECT_EQ(NormalizePortName("com3"), "COM3");
    EXPECT_EQ(NormalizePortName("lpt1"), "LPT1");
    EXPECT_EQ(NormalizePortName("usb"), "USB");
    EXPECT_EQ(NormalizePortName("Ethernet_II"), "ETHERNET_II");
    EXPECT_EQ(NormalizePortName("file"), "FILE");
    EXPECT_EQ(NormalizePortName("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(NormalizePortName("/tmp/link-ttyA"), "/tmp/link-ttyA");
}

TEST(Connection, DefaultsAndValuesBeforeFirstChoice) {
    const ConnectionSettings fresh;
    EXPECT_EQ(fresh.baudRate, -1);
    EXPECT_EQ(fresh.flowControl, -1);
    EXPECT_EQ(fresh.stopBits, 0);
    EXPECT_EQ(fresh.deviceType, 0);
    EXPECT_EQ(fresh.ipAddress, "192.168.0.254");
    EXPECT_EQ(fresh.tcpPort, 6001);
    EXPECT_FALSE(fresh.SerialComplete());

    ConnectionText text;
    text.port = "/dev/ttyS1";
    const auto parsed = ParseConnection(text);
    ASSERT_TRUE(parsed) << parsed.error;
    EXPECT_EQ(parsed.value->baudRate, 115200);
    EXPECT_EQ(parsed.value->dataBits, 8);
    EXPECT_EQ(parsed.value->parity, kParityNone);
    EXPECT_EQ(parsed.value->stopBits, kStopBits1);
    EXPECT_EQ(parsed.value->flowControl, kFlowHardware);
    EXPECT_EQ(parsed.value->deviceType, 1);
    EXPECT_TRUE(parsed.value->SerialComplete());
}

TEST(Connection, CombinationsThatCannotWork) {
    ConnectionText text;
    text.port = "COM1";
    text.dataBits = "5";
    text.stopBits = "2";
    EXPECT_FALSE(ParseConnection(text));
    text.stopBits = "1.5";
    EXPECT_TRUE(ParseConnection(text));
    text.dataBits = "8";
    EXPECT_FALSE(ParseConnection(text));

    ConnectionText both;
    both.model = "KORVA10S";
    both.deviceType = "2";
    EXPECT_FALSE(ParseConnection(both));
}

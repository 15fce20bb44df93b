// Texts of the network-setting fields and the checks a change must pass.
#include <gtest/gtest.h>

#include "netcfg/ChangeRequest.h"
#include "netcfg/NetText.h"

using namespace korva::netcfg;

namespace {

TEST(NetText, DottedAddressesAreFourNumbersUpTo255AndNothingElse) {
    EXPECT_EQ(ParseIpv4("192.168.0.10"), (Ipv4{192, 168, 0, 10}));
    EXPECT_EQ(ParseIpv4("0.0.0.0"), (Ipv4{0, 0, 0, 0}));
    EXPECT_EQ(ParseIpv4("255.255.255.255"), (Ipv4{255, 255, 255, 255}));
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1.2.3.256", "300.1.1.1", "1..2.3",
                            "1.2.3.4 ", " 1.2.3.4", "1.2.3.0004", "a.b.c.d", "1.2.3.-4", "1.2.3."})
        EXPECT_FALSE(ParseIpv4(bad)) << bad;
}

TEST(NetText, MacTextsAndHexPairsTakeEitherCaseAndRefuseTheRest) {
    EXPECT_EQ(ParseMac("00:1A:2B:3C:4D:5E"), (MacAddress{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
    EXPECT_EQ(ParseMac("00:1a:2b:3c:4d:5e"), (MacAddress{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
    for (const char* bad : {"", "00:1A:2B:3C:4D", "00:1A:2B:3C:4D:5E:", "00-1A-2B-3C-4D-5E",
                            "00:1A:2B:3C:4D:5G", "001A2B3C4D5E", "0:1A:2B:3C:4D:5E0"})
        EXPECT_FALSE(ParseMac(bad)) << bad;
    EXPECT_EQ(ParseHexPair("FF"), 0xFF);
    EXPECT_EQ(ParseHexPair("0a"), 0x0A);
    for (const char* bad : {"", "F", "FFF", "G0", " 1", "-1"})
        EXPECT_FALSE(ParseHexPair(bad)) << bad;
}

TEST(NetText, RowIpTellsDhcpByTheDAfterItsFirstCharacter) {
    EXPECT_TRUE(RowIpMeansDhcp("10.0.0.5 (DHCP)"));
    EXPECT_FALSE(RowIpMeansDhcp("10.0.0.5"));
    EXPECT_FALSE(RowIpMeansDhcp("D"));
    EXPECT_EQ(RowIpAddress("10.0.0.5 (DHCP)"), "10.0.0.5");
    EXPECT_EQ(RowIpAddress("10.0.0.5"), "10.0.0.5");
}

ChangeInput Input(const char* ip, const char* gateway, long port) {
    return {ip, "255.255.255.0", gateway, port, false};
}

TEST(ChangeRequest, IpAndGatewayEndingIn0Or255AreRefusedForAPickedPrinterOnly) {
    const std::string mac = "00:1A:2B:3C:4D:5E";
    EXPECT_EQ(BuildChange(Input("192.168.0.255", "192.168.0.1", 6001), mac).error,
              ChangeError::IpRange);
    EXPECT_EQ(BuildChange(Input("192.168.0.0", "192.168.0.1", 6001), mac).error,
              ChangeError::IpRange);
    EXPECT_EQ(BuildChange(Input("192.168.0.20", "10.0.0.0", 6001), mac).error,
              ChangeError::IpRange);
    EXPECT_EQ(BuildChange(Input("192.168.0.20", "10.0.0.255", 6001), mac).error,
              ChangeError::IpRange);

    const std::array<std::string, 3> low{"3C", "4D", "5E"};
    const ChangeBuild manual = BuildManualChange(Input("192.168.0.255", "10.0.0.0", 6001), low);
    ASSERT_EQ(manual.error, ChangeError::None);
    EXPECT_EQ(manual.settings.ip, (Ipv4{192, 168, 0, 255}));
    EXPECT_EQ(manual.settings.gateway, (Ipv4{10, 0, 0, 0}));
    EXPECT_EQ(manual.settings.mac, (MacAddress{0x00, 0x2B, 0x9E, 0x3C, 0x4D, 0x5E}));
}

TEST(ChangeRequest, PortMustLieIn1024To65534ForBothKindsOfChange) {
    const std::string mac = "00:1A:2B:3C:4D:5E";
    const std::array<std::string, 3> low{"00", "00", "01"};
    for (long port : {0L, 1023L, 65535L, 70000L, -1L}) {
        EXPECT_EQ(BuildChange(Input("10.0.0.5", "10.0.0.1", port), mac).error,
                  ChangeError::PortRange)
            << port;
        EXPECT_EQ(BuildManualChange(Input("10.0.0.5", "10.0.0.1", port), low).error,
                  ChangeError::PortRange)
            << port;
    }
    for (long port : {1024L, 65534L}) {
        const ChangeBuild build = BuildChange(Input("10.0.0.5", "10.0.0.1", port), mac);
        EXPECT_EQ(build.error, ChangeError::None) << port;
        EXPECT_EQ(build.settings.tcpPort, port);
    }
}

TEST(ChangeRequest, FillsEveryFieldAndNamesTheFirstBadText) {
    ChangeInput input{"192.168.1.50", "255.255.0.0", "192.168.1.1", 9000, true};
    const ChangeBuild build = BuildChange(input, "00:1A:2B:3C:4D:5E");
    ASSERT_EQ(build.error, ChangeError::None);
    NetSettings expected{{192, 168, 1, 50},
                         {255, 255, 0, 0},
                         {192, 168, 1, 1},
                         {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E},
                         true,
                         9000};
    EXPECT_EQ(build.settings, expected);

    EXPECT_EQ(
        BuildChange({"192.168.1", "255.0.0.0", "1.1.1.1", 6001, false}, "00:1A:2B:3C:4D:5E").error,
        ChangeError::IpText);
    EXPECT_EQ(
        BuildChange({"1.1.1.2", "255.0.0", "1.1.1.1", 6001, false}, "00:1A:2B:3C:4D:5E").error,
        ChangeError::MaskText);
    EXPECT_EQ(BuildChange({"1.1.1.2", "255.0.0.0", "x", 6001, false}, "00:1A:2B:3C:4D:5E").error,
              ChangeError::GatewayText);
    EXPECT_EQ(BuildChange({"1.1.1.2", "255.0.0.0", "1.1.1.1", 6001, false}, "").error,
              ChangeError::MacText);
    EXPECT_EQ(BuildManualChange({"1.1.1.2", "255.0.0.0", "1.1.1.1", 6001, false}, {"12", "3", "45"})
                  .error,
              ChangeError::MacText);
    EXPECT_FALSE(DescribeChangeError(ChangeError::MaskText).empty());
}

}  // namespace

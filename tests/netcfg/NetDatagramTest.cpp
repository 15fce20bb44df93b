// The 35-byte network-setting datagram, encoded and decoded, compared whole.
#include <gtest/gtest.h>

#include "NetcfgData.h"
#include "netcfg/NetDatagram.h"
#include "netcfg/NetText.h"

using namespace korva::netcfg;
using korva::test::NetcfgDatagram;
using korva::test::ToHex;

namespace {

NetSettings ExampleChange() {
    NetSettings s;
    s.ip = {192, 168, 1, 50};
    s.mask = {255, 255, 0, 0};
    s.gateway = {192, 168, 1, 1};
    s.mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    s.dhcp = false;
    s.tcpPort = 6001;
    return s;
}

TEST(NetDatagram, EncodesTheSearchRequestAndTheChangeApplyPairWhole) {
    EXPECT_EQ(ToHex(EncodeSearchRequest()), ToHex(NetcfgDatagram("search-request.hex")));
    const std::vector<uint8_t> change = EncodeSettingDatagram(NetCommand::Change, ExampleChange());
    const std::vector<uint8_t> apply = EncodeSettingDatagram(NetCommand::Apply, ExampleChange());
    EXPECT_EQ(ToHex(change), ToHex(NetcfgDatagram("change-192.168.1.50.hex")));
    EXPECT_EQ(ToHex(apply), ToHex(NetcfgDatagram("apply-192.168.1.50.hex")));
    // The pair differs in the command byte only.
    ASSERT_EQ(change.size(), apply.size());
    for (size_t i = 0; i < change.size(); ++i) {
        if (i != 2) {
            EXPECT_EQ(change[i], apply[i]) << "byte " << i;
        }
    }
}

TEST(NetDatagram, DhcpGoesOutAsOneAndThePortHighByteFirst) {
    NetSettings s = ExampleChange();
    s.dhcp = true;
    s.tcpPort = 0xFFFE;
    const std::vector<uint8_t> d = EncodeSettingDatagram(NetCommand::Change, s);
    EXPECT_EQ(d[21], 1);
    EXPECT_EQ(d[22], 0xFF);
    EXPECT_EQ(d[23], 0xFE);
}

TEST(NetDatagram, DecodesAReplyIntoTheRowTheListShows) {
    const ReplyDecode reply = DecodeReply(NetcfgDatagram("reply-192.168.0.10-dhcp.hex"));
    ASSERT_EQ(reply.error, ReplyError::None);
    const PrinterRow row = FormatPrinterRow(*reply.settings);
    EXPECT_EQ(row.ip, "192.168.0.10 (DHCP)");
    EXPECT_EQ(row.port, "6001");
    EXPECT_EQ(row.subnet, "255.255.255.0");
    EXPECT_EQ(row.gateway, "192.168.0.1");
    EXPECT_EQ(row.mac, "00:2B:9E:12:34:56");

    // A fixed-address printer has no ending; the port is unsigned.
    std::vector<uint8_t> fixed = NetcfgDatagram("reply-192.168.0.10-dhcp.hex");
    fixed[21] = 0;
    fixed[22] = fixed[23] = 0xFF;
    const PrinterRow fixedRow = FormatPrinterRow(*DecodeReply(fixed).settings);
    EXPECT_EQ(fixedRow.ip, "192.168.0.10");
    EXPECT_EQ(fixedRow.port, "65535");
}

TEST(NetDatagram, RepliesAreReadWithoutLookingAtTheirFraming) {
    std::vector<uint8_t> odd = NetcfgDatagram("reply-192.168.0.10-dhcp.hex");
    odd[0] = odd[1] = odd[33] = odd[34] = 0x00;
    odd[2] = 0x7F;
    odd.push_back(0x99);  // past the 35th byte: cut off like a 35-byte receive
    const ReplyDecode reply = DecodeReply(odd);
    ASSERT_TRUE(reply.settings);
    EXPECT_EQ(FormatIpv4(reply.settings->ip), "192.168.0.10");
}

TEST(NetDatagram, ShortRepliesAreRefusedNotReadPastTheirEnd) {
    const std::vector<uint8_t> full = NetcfgDatagram("reply-192.168.0.10-dhcp.hex");
    for (size_t size : {size_t(0), size_t(3), size_t(24), size_t(34)}) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(size));
        const ReplyDecode reply = DecodeReply(cut);
        EXPECT_FALSE(reply.settings) << size;
        EXPECT_EQ(reply.error, ReplyError::TooShort) << size;
    }
    EXPECT_EQ(DescribeReplyError(ReplyError::TooShort, 34), "reply of 34 bytes is shorter than 35");
}

}  // namespace

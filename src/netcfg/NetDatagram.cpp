#include "netcfg/NetDatagram.h"

#include <algorithm>

namespace korva::netcfg {
namespace {

constexpr uint8_t kMarker = 0xAA;   // bytes 0..1
constexpr uint8_t kTrailer = 0x55;  // bytes 33..34
constexpr size_t kCommandAt = 2;
constexpr size_t kIpAt = 3;
constexpr size_t kMaskAt = 7;
constexpr size_t kGatewayAt = 11;
constexpr size_t kMacAt = 15;
constexpr size_t kDhcpAt = 21;
constexpr size_t kPortAt = 22;  // high byte, then low byte at 23

std::vector<uint8_t> framed(NetCommand command) {
    std::vector<uint8_t> d(kDatagramSize, 0x00);  // the filler is zeros
    d[0] = d[1] = kMarker;
    d[kCommandAt] = static_cast<uint8_t>(command);
    d[kDatagramSize - 2] = d[kDatagramSize - 1] = kTrailer;
    return d;
}

}  // namespace

std::vector<uint8_t> EncodeSearchRequest() { return framed(NetCommand::Search); }

std::vector<uint8_t> EncodeSettingDatagram(NetCommand command, const NetSettings& s) {
    std::vector<uint8_t> d = framed(command);
    std::copy(s.ip.begin(), s.ip.end(), d.begin() + kIpAt);
    std::copy(s.mask.begin(), s.mask.end(), d.begin() + kMaskAt);
    std::copy(s.gateway.begin(), s.gateway.end(), d.begin() + kGatewayAt);
    std::copy(s.mac.begin(), s.mac.end(), d.begin() + kMacAt);
    d[kDhcpAt] = s.dhcp ? 1 : 0;
    d[kPortAt] = static_cast<uint8_t>(s.tcpPort >> 8);
    d[kPortAt + 1] = static_cast<uint8_t>(s.tcpPort & 0xFF);
    return d;
}

ReplyDecode DecodeReply(std::span<const uint8_t> d) {
    if (d.size() < kDatagramSize) return {std::nullopt, ReplyError::TooShort};
    NetSettings s;
    std::copy_n(d.begin() + kIpAt, 4, s.ip.begin());
    std::copy_n(d.begin() + kMaskAt, 4, s.mask.begin());
    std::copy_n(d.begin() + kGatewayAt, 4, s.gateway.begin());
    std::copy_n(d.begin() + kMacAt, 6, s.mac.begin());
    s.dhcp = d[kDhcpAt] != 0;
    s.tcpPort = static_cast<uint16_t>((d[kPortAt] << 8) | d[kPortAt + 1]);
    return {s, ReplyError::None};
}

std::string DescribeReplyError(ReplyError error, size_t size) {
    switch (error) {
        case ReplyError::None:
            return "";
        case ReplyError::TooShort:
            return "reply of " + std::to_string(size) + " bytes is shorter than " +
                   std::to_string(kDatagramSize);
    }
    return "";
}

}  // namespace korva::netcfg

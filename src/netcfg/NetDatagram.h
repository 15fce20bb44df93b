#pragma once
// The network-setting datagram: one fixed 35-byte layout for the search
// request, the printers' replies and the change/apply pair.
//
//   0  AA AA      marker
//   2  command    00 search, 02 change, 04 apply
//   3  IP         4 bytes, first dotted number first
//   7  mask       4 bytes
//  11  gateway    4 bytes
//  15  MAC        6 bytes, first byte first
//  21  DHCP flag  0 fixed address, non-zero DHCP
//  22  TCP port   high byte first
//  24  filler     9 bytes (zeros)
//  33  55 55      trailer
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korva::netcfg {

inline constexpr size_t kDatagramSize = 35;
inline constexpr uint16_t kNetcfgUdpPort = 2918;
inline constexpr const char* kLimitedBroadcast = "255.255.255.255";

enum class NetCommand : uint8_t {
    Search = 0x00,
    Change = 0x02,
    Apply = 0x04,
};

using Ipv4 = std::array<uint8_t, 4>;
using MacAddress = std::array<uint8_t, 6>;

/// One printer's network configuration, as a reply carries it or a change asks for it.
struct NetSettings {
    Ipv4 ip{};
    Ipv4 mask{};
    Ipv4 gateway{};
    MacAddress mac{};
    bool dhcp = false;
    uint16_t tcpPort = 0;

    bool operator==(const NetSettings&) const = default;
};

/// AA AA 00, zero filler, 55 55.
std::vector<uint8_t> EncodeSearchRequest();

/// AA AA 02 (change) or 04 (apply) with the fields; DHCP goes out as 1 or 0.
std::vector<uint8_t> EncodeSettingDatagram(NetCommand command, const NetSettings& settings);

enum class ReplyError {
    None,
    TooShort,  ///< fewer than 35 bytes: the fields cannot all be read
};

struct ReplyDecode {
    std::optional<NetSettings> settings;
    ReplyError error = ReplyError::None;
};

/// Reads bytes 3..23 of a printer's reply. Marker, command and trailer are not
/// looked at (printers differ in what they put there); bytes past the 35th are
/// ignored, as a 35-byte receive buffer cuts them off.
ReplyDecode DecodeReply(std::span<const uint8_t> datagram);

/// One line for a person: "reply of 20 bytes is shorter than 35".
std::string DescribeReplyError(ReplyError error, size_t size);

}  // namespace korva::netcfg

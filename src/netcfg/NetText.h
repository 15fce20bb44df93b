#pragma once
// Text forms of the network-setting fields: the printer row the search list
// shows, and the dotted, MAC and hexadecimal texts a user types.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "netcfg/NetDatagram.h"

namespace korva::netcfg {

/// One printer as the search list shows it.
struct PrinterRow {
    std::string ip;       ///< "192.168.0.10", or "192.168.0.10 (DHCP)"
    std::string port;     ///< "6001"
    std::string subnet;   ///< "255.255.255.0"
    std::string gateway;  ///< "192.168.0.1"
    std::string mac;      ///< "00:2B:9E:12:34:56"
};

PrinterRow FormatPrinterRow(const NetSettings& settings);

/// "%d.%d.%d.%d".
std::string FormatIpv4(const Ipv4& address);
/// "%02X:%02X:%02X:%02X:%02X:%02X".
std::string FormatMac(const MacAddress& mac);

/// True when a row's IP text carries the " (DHCP)" ending: a "D" after its
/// first character.
bool RowIpMeansDhcp(std::string_view rowIp);
/// The dotted address of a row's IP text, without the " (DHCP)" ending.
std::string RowIpAddress(std::string_view rowIp);

/// Four decimal numbers 0..255 (one to three digits each) separated by ".";
/// nothing else, no blanks.
std::optional<Ipv4> ParseIpv4(std::string_view text);

/// Why `text` is not a dotted address, in words to follow the field's name
/// ("the address is incomplete: ..."); "" when ParseIpv4 takes it. `typing`: the text is still
/// being typed, so a shorter address is no fault yet.
std::string AddressProblem(std::string_view text, bool typing = false);

/// Two hexadecimal digits, the first the high half; either case.
std::optional<uint8_t> ParseHexPair(std::string_view text);

/// Six hexadecimal pairs separated by ":" ("00:1A:2B:3C:4D:5E").
std::optional<MacAddress> ParseMac(std::string_view text);

/// The first three bytes of every KORVA printer's MAC; the manual change
/// types only the other three.
inline constexpr std::array<uint8_t, 3> kKorvaMacPrefix{0x00, 0x2B, 0x9E};

}  // namespace korva::netcfg

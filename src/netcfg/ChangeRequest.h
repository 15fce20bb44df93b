#pragma once
// Turns what the user gave for a change (dotted texts, port, DHCP choice and
// the printer's MAC) into the settings the change datagram carries, with the
// checks a change must pass before anything is sent.
#include <array>
#include <string>

#include "netcfg/NetDatagram.h"

namespace korva::netcfg {

struct ChangeInput {
    std::string ip;       ///< new IP, dotted
    std::string mask;     ///< new subnet mask, dotted
    std::string gateway;  ///< new gateway, dotted
    long tcpPort = 0;     ///< new TCP port
    bool dhcp = false;
};

enum class ChangeError {
    None,
    IpRange,      ///< IP or gateway ends in 0 or 255 (picked printer only)
    PortRange,    ///< port outside 1024..65534
    IpText,       ///< the IP is not a dotted address
    MaskText,     ///< the mask is not a dotted address
    GatewayText,  ///< the gateway is not a dotted address
    MacText,      ///< the MAC text or a manual pair is not hexadecimal
};

struct ChangeBuild {
    NetSettings settings;
    ChangeError error = ChangeError::None;
    int macPair = 0;  ///< with MacText from a manual change: the field (1..3) at fault
    std::string fieldText;  ///< with IpText, MaskText, GatewayText: the text refused
};

inline constexpr long kMinTcpPort = 1024;
inline constexpr long kMaxTcpPort = 65534;

/// For a printer picked from the search list by its MAC text
/// ("00:1A:2B:3C:4D:5E"). The IP and the gateway must end in 1..254.
ChangeBuild BuildChange(const ChangeInput& input, const std::string& macText);

/// For the manual change: the MAC is 00 2B 9E and the three typed pairs, and
/// the IP and gateway are taken as they are (a technician may need .0 or .255).
ChangeBuild BuildManualChange(const ChangeInput& input, const std::array<std::string, 3>& lowMac);

/// One line for a person, e.g. "the gateway is not a dotted IPv4 address".
std::string DescribeChangeError(ChangeError error);

/// The dialog's message for a request refused for a malformed field, naming
/// the field (the range refusals have their own messages); empty otherwise.
std::string FieldRefusalText(const ChangeBuild& build);

}  // namespace korva::netcfg

#include "netcfg/ChangeRequest.h"

#include <optional>

#include "netcfg/NetText.h"

namespace korva::netcfg {
namespace {

bool EndsInHostNumber(const Ipv4& address) { return address[3] != 0 && address[3] != 255; }

// The address fields and the port, checked in the order the user is told
// about them: IP, gateway, port. The MAC is filled in by the caller.
ChangeBuild BuildFields(const ChangeInput& input, bool checkHostNumbers) {
    ChangeBuild build;
    const std::optional<Ipv4> ip = ParseIpv4(input.ip);
    if (!ip) return {build.settings, ChangeError::IpText, 0, input.ip};
    if (checkHostNumbers && !EndsInHostNumber(*ip)) return {build.settings, ChangeError::IpRange, 0, {}};
    const std::optional<Ipv4> mask = ParseIpv4(input.mask);
    if (!mask) return {build.settings, ChangeError::MaskText, 0, input.mask};
    const std::optional<Ipv4> gateway = ParseIpv4(input.gateway);
    if (!gateway) return {build.settings, ChangeError::GatewayText, 0, input.gateway};
    if (checkHostNumbers && !EndsInHostNumber(*gateway))
        return {build.settings, ChangeError::IpRange, 0, {}};
    build.settings.ip = *ip;
    build.settings.mask = *mask;
    build.settings.gateway = *gateway;
    build.settings.dhcp = input.dhcp;
    return build;
}

ChangeBuild CheckPort(ChangeBuild build, long port) {
    if (build.error != ChangeError::None) return build;
    if (port < kMinTcpPort || port > kMaxTcpPort) {
        build.error = ChangeError::PortRange;
        return build;
    }
    build.settings.tcpPort = static_cast<uint16_t>(port);
    return build;
}

}  // namespace

ChangeBuild BuildChange(const ChangeInput& input, const std::string& macText) {
    ChangeBuild build = BuildFields(input, true);
    // The printer is named in every report, a refused change's too.
    const std::optional<MacAddress> mac = ParseMac(macText);
    if (mac) build.settings.mac = *mac;
    if (build.error != ChangeError::None) return build;
    if (!mac) return {build.settings, ChangeError::MacText, 0, {}};
    return CheckPort(build, input.tcpPort);
}

ChangeBuild BuildManualChange(const ChangeInput& input, const std::array<std::string, 3>& lowMac) {
    ChangeBuild build = BuildFields(input, false);
    if (build.error != ChangeError::None) return build;
    for (size_t i = 0; i < kKorvaMacPrefix.size(); ++i) build.settings.mac[i] = kKorvaMacPrefix[i];
    for (size_t i = 0; i < lowMac.size(); ++i) {
        const std::optional<uint8_t> byte = ParseHexPair(lowMac[i]);
        if (!byte) return {build.settings, ChangeError::MacText, static_cast<int>(i) + 1, {}};
        build.settings.mac[3 + i] = *byte;
    }
    return CheckPort(build, input.tcpPort);
}

std::string DescribeChangeError(ChangeError error) {
    switch (error) {
        case ChangeError::None:
            return "";
        case ChangeError::IpRange:
            return "the IP address and the gateway must end in 1..254";
        case ChangeError::PortRange:
            return "the TCP port must be between 1024 and 65534";
        case ChangeError::IpText:
            return "the IP address is not a dotted IPv4 address";
        case ChangeError::MaskText:
            return "the subnet mask is not a dotted IPv4 address";
        case ChangeError::GatewayText:
            return "the gateway is not a dotted IPv4 address";
        case ChangeError::MacText:
            return "the MAC address is not six hexadecimal pairs";
    }
    return "";
}

std::string FieldRefusalText(const ChangeBuild& build) {
    // The field's name and what is wrong with what it holds.
    const std::string problem = AddressProblem(build.fieldText);
    switch (build.error) {
        case ChangeError::IpText:
            return "IP: " + problem;
        case ChangeError::MaskText:
            return "Subnet: " + problem;
        case ChangeError::GatewayText:
            return "Gateway: " + problem;
        case ChangeError::MacText:
            if (build.macPair == 0) return "The MAC address of the chosen printer is not readable.";
            return "MAC(Low 3byte): field " + std::to_string(build.macPair) +
                   " is incomplete. Enter two hexadecimal digits (0-9, A-F).";
        default:
            return "";
    }
}

}  // namespace korva::netcfg

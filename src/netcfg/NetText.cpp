#include "netcfg/NetText.h"

#include <algorithm>

#include <cstdio>

namespace korva::netcfg {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string FormatIpv4(const Ipv4& a) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", a[0], a[1], a[2], a[3]);
    return text;
}

std::string FormatMac(const MacAddress& m) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1], m[2], m[3], m[4],
                  m[5]);
    return text;
}

PrinterRow FormatPrinterRow(const NetSettings& s) {
    PrinterRow row;
    row.ip = FormatIpv4(s.ip) + (s.dhcp ? " (DHCP)" : "");
    row.port = std::to_string(s.tcpPort);
    row.subnet = FormatIpv4(s.mask);
    row.gateway = FormatIpv4(s.gateway);
    row.mac = FormatMac(s.mac);
    return row;
}

bool RowIpMeansDhcp(std::string_view rowIp) {
    return rowIp.size() > 1 && rowIp.find('D', 1) != std::string_view::npos;
}

std::string RowIpAddress(std::string_view rowIp) {
    return std::string(rowIp.substr(0, rowIp.find(' ')));
}

std::optional<Ipv4> ParseIpv4(std::string_view text) {
    Ipv4 address{};
    size_t at = 0;
    for (size_t part = 0; part < address.size(); ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.') return std::nullopt;
            ++at;
        }
        int value = 0;
        size_t digits = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 4) {
            value = value * 10 + (text[at] - '0');
            ++at;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255) return std::nullopt;
        address[part] = static_cast<uint8_t>(value);
    }
    if (at != text.size()) return std::nullopt;
    return address;
}

std::string AddressProblem(std::string_view text, bool typing) {
    if (text.empty()) return typing ? "" : "the address is empty: enter four numbers, each 0 ~ 255.";
    int numbers = 1;
    size_t digits = 0;
    bool emptyNumber = false, tooBig = false;
    int value = 0;
    for (char c : text) {
        if (c == '.') {
            emptyNumber = emptyNumber || digits == 0;
            ++numbers;
            digits = 0;
            value = 0;
        } else if (c >= '0' && c <= '9') {
            ++digits;
            value = std::min(value * 10 + (c - '0'), 1000);
            tooBig = tooBig || digits > 3 || value > 255;
        } else {
            return "only digits and dots make an address.";
        }
    }
    if (numbers > 4) return "an address has four numbers, not more.";
    if (tooBig) return "each of the four numbers must be between 0 ~ 255.";
    if (typing) return "";
    if (numbers < 4 || emptyNumber || digits == 0)
        return "the address is incomplete: enter four numbers, each 0 ~ 255.";
    return "";
}

std::optional<uint8_t> ParseHexPair(std::string_view text) {
    if (text.size() != 2) return std::nullopt;
    const int high = HexDigit(text[0]);
    const int low = HexDigit(text[1]);
    if (high < 0 || low < 0) return std::nullopt;
    return static_cast<uint8_t>(high * 16 + low);
}

std::optional<MacAddress> ParseMac(std::string_view text) {
    MacAddress mac{};
    if (text.size() != 17) return std::nullopt;  // six pairs and five ":"
    for (size_t i = 0; i < mac.size(); ++i) {
        if (i > 0 && text[i * 3 - 1] != ':') return std::nullopt;
        const std::optional<uint8_t> byte = ParseHexPair(text.substr(i * 3, 2));
        if (!byte) return std::nullopt;
        mac[i] = *byte;
    }
    return mac;
}

}  // namespace korva::netcfg

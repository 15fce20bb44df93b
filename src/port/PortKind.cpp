#include "port/PortKind.h"

namespace korva::port {

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

namespace {

/// "COM" or "LPT" followed by a port number.
bool IsNumberedName(std::string_view upper, std::string_view prefix) {
    if (!upper.starts_with(prefix) || upper.size() == prefix.size()) return false;
    for (char c : upper.substr(prefix.size()))
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

PortKind ClassifyPseudoName(std::string_view name) {
    const std::string upper = AsciiUpper(name);
    if (IsNumberedName(upper, "COM")) return PortKind::Serial;
    if (IsNumberedName(upper, "LPT")) return PortKind::Parallel;
    if (upper == "USB") return PortKind::Usb;
    if (upper == "ETHERNET_II") return PortKind::Ethernet;
    if (upper == "FILE") return PortKind::File;
    return PortKind::OutputFile;
}

}  // namespace korva::port

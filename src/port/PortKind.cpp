#include "port/PortKind.h"

namespace korva::port {

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

int PseudoPortNumber(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || AsciiUpper(name.substr(0, prefix.size())) != prefix) return -1;
    int number = 0;
    for (char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9') return -1;
        if (number < 100000) number = number * 10 + (c - '0');  // no overflow on a long run of digits
    }
    return number;
}

PortKind ClassifyPseudoName(std::string_view name) {
    const std::string upper = AsciiUpper(name);
    if (PseudoPortNumber(upper, "COM") >= 0) return PortKind::Serial;
    if (PseudoPortNumber(upper, "LPT") >= 0) return PortKind::Parallel;
    if (upper == "USB") return PortKind::Usb;
    if (upper == "ETHERNET_II") return PortKind::Ethernet;
    if (upper == "FILE") return PortKind::File;
    return PortKind::OutputFile;
}

}  // namespace korva::port

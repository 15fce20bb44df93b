#include "port/PortKind.h"

namespace korva::port {

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

PortKind ClassifyPort(std::string_view name) {
    const std::string upper = AsciiUpper(name);
    // A usblp node given by path is written as a plain byte stream, like a parallel port.
    if (name.starts_with("/dev/parport") || name.starts_with("/dev/lp") ||
        name.starts_with("/dev/usb/lp")) {
        return PortKind::Parallel;
    }
    if (name.starts_with("/dev/tty") || name.starts_with("/dev/pts/") ||
        name.starts_with("/dev/serial/")) {
        return PortKind::Serial;
    }
    if (upper.starts_with("COM")) return PortKind::Serial;
    if (upper.starts_with("LPT")) return PortKind::Parallel;
    if (upper == "USB") return PortKind::Usb;
    if (upper == "ETHERNET_II") return PortKind::Ethernet;
    if (upper == "FILE") return PortKind::File;
    return PortKind::OutputFile;
}

}  // namespace korva::port

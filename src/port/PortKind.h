#pragma once
#include <string>
#include <string_view>

namespace korva::port {

/// What a port name stands for. One classification used by every tool.
enum class PortKind {
    Serial,      ///< a tty path, or a name beginning "COM"
    Parallel,    ///< /dev/parport*, /dev/lp*, or a name beginning "LPT"
    Usb,         ///< "USB": the attached USB printer
    Ethernet,    ///< "ETHERNET_II": the TCP link
    File,        ///< "FILE": print to file, the name is asked for
    OutputFile,  ///< any other name: an output file already chosen
};

/// Pseudo names ("USB", "ETHERNET_II", "FILE", COMn, LPTn) compare without
/// regard to case; device paths are taken as they are.
PortKind ClassifyPort(std::string_view name);

/// Upper-cases ASCII letters only, as the port and hardware-id rules require.
std::string AsciiUpper(std::string_view text);

}  // namespace korva::port

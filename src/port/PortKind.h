#pragma once
#include <string>
#include <string_view>

namespace korva::port {

/// What a port name stands for. Every tool learns it from ClassifyPortName
/// (port/PortPath.h), which looks at the device behind a path.
enum class PortKind {
    Serial,      ///< COMn, a serial tty or a pty slave
    Parallel,    ///< LPTn, a ppdev or lp node
    Usb,         ///< "USB" (the attached USB printer of the series) or a usblp node
    Ethernet,    ///< "ETHERNET_II": the TCP link
    File,        ///< "FILE": print to file, the name is asked for
    OutputFile,  ///< a regular file or a path not there yet: an output file already chosen
    NotAPort,    ///< a device that is no printer port (a console, /dev/tty, /dev/ptmx ...)
};

/// The pseudo names alone ("USB", "ETHERNET_II", "FILE", COMn, LPTn; any
/// case). Every other name is a path, OutputFile here: only ClassifyPortName
/// can tell what it is.
PortKind ClassifyPseudoName(std::string_view name);

/// n of "COMn" / "LPTn" (prefix in any case), or -1 when the prefix is not
/// followed by digits alone.
int PseudoPortNumber(std::string_view name, std::string_view prefix);

/// Upper-cases ASCII letters only, as the port and hardware-id rules require.
std::string AsciiUpper(std::string_view text);

}  // namespace korva::port

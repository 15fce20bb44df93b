#pragma once
// A port typed into the connection dialog rather than chosen from its list.
// Discovery cannot see every serial device on Linux (ptys, Bluetooth rfcomm,
// some adapters), so the user may name one; it is checked before it is kept.
#include <string>
#include <string_view>

namespace korva::app {

/// Empty when `name` (a device path, or COMn / LPTn standing for its /dev node)
/// is a device the port object opens as a serial port (`parallel` false) or a
/// parallel port (`parallel` true), told by port::ClassifyPortName. Otherwise
/// the message to show: "'<name>' does not exist: ..." for a path with nothing
/// there, else "'<name>' is not a serial device.", with the reason where the
/// device is one that is never a port ("(it is the system console)").
std::string TypedPortRefusal(std::string_view name, bool parallel, const std::string& sysRoot = "/sys");

}  // namespace korva::app

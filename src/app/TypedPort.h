#pragma once
// A port typed into the connection dialog rather than chosen from its list.
// Discovery cannot see every serial device on Linux (ptys, Bluetooth rfcomm,
// some adapters), so the user may name one; it is checked before it is kept.
#include <string>
#include <string_view>

namespace korva::app {

/// True when `name` (a device path, or COMn / LPTn standing for its /dev node)
/// is a character device the port object opens as a serial port (`parallel`
/// false) or a parallel port (`parallel` true). Symbolic links are followed.
bool IsTypedPortDevice(std::string_view name, bool parallel);

/// The message shown when a typed port is refused: "'<name>' is not a serial device."
std::string TypedPortRefusal(std::string_view name, bool parallel);

}  // namespace korva::app

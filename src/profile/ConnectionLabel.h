#pragma once
#include <string>
#include <string_view>

#include "port/Connection.h"
#include "port/PortKind.h"

namespace korva::profile {

/// The text the tools show in their "DEVICE"/"MODEL" boxes: series prefix and
/// port, then for a serial port the line settings on five more lines; the
/// two-line USB title for the USB printer. Parity 0 none, 1 odd, else even;
/// flow 1 H/W, 2 S/W, else none; stop bits 0 one, 1 one and a half, else two.
/// `kind` is what port::ClassifyPortName made of the port (a symbolic link to
/// a pty is serial).
std::string ComposeConnectionLabel(const port::ConnectionSettings& settings, port::PortKind kind);

/// The one connection label of the run, rewritten each time the menu opens.
const std::string& ConnectionLabel();
void SetConnectionLabel(std::string label);

}  // namespace korva::profile

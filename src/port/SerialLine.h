#pragma once
#include <termios.h>

#include "port/Connection.h"

namespace korva::port {

/// The speed_t constant for a rate, or B0 when the line cannot run at it.
speed_t BaudConstant(int rate);

/// Builds the line settings of an open serial port from what the driver
/// reported (`driver`) and the chosen baud, data bits, parity, stop bits and
/// flow control: raw bytes both ways, reads that never wait in the driver.
/// Flow control: hardware turns RTS/CTS on and XON/XOFF output off (XON/XOFF
/// input as the driver had it); none turns RTS/CTS and XON/XOFF off;
/// software changes no flow-control field. Returns 0, or EINVAL for a rate or
/// a data/stop bit pair the line cannot do.
int BuildTermios(const termios& driver, const ConnectionSettings& line, termios& out);

}  // namespace korva::port

#pragma once
// A port's failure as the one line a program prints after its own words:
// the system's words for the error code and, where there is one, the fix.
// The port layer words its errors here and in PortFailures.h; no other
// layer turns an error code into text.
#include <string>

#include "port/Connection.h"
#include "port/PortKind.h"

namespace korva::port {

/// The system's words for an error code of a port ("Permission denied").
std::string ErrorWords(int error);

/// A port that could not be opened: "no KORVA20 USB printer found" when none
/// is attached, else "cannot open WHAT: <words> (hint)", the hint naming the
/// groups that give access (EACCES) or the kind of program that holds the
/// port (EBUSY). An Ethernet link's failure is told by its reason instead.
std::string OpenFailureLine(const ConnectionSettings& settings, PortKind kind, int error);

/// What an Ethernet link's open failure was when its reason alone would
/// mislead: a printer that closed the connection right after accepting it
/// is Refused, yet it did answer. "" for every other failure, which its
/// reason tells.
std::string ConnectFailureWords(int error);

/// Why a write ended before the data was taken; a serial line's timeout also
/// suspects the flow control.
std::string WriteFailureLine(int error, PortKind kind);

}  // namespace korva::port

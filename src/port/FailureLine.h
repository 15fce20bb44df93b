#pragma once
// A port's failure as the one line a program prints after its own words:
// the system's words for the error code and, where there is one, the fix.
// The port layer words its errors here and in PortFailures.h; no other
// layer turns an error code into text.
#include <string>

#include "port/PortKind.h"

namespace korva::port {

/// The system's words for an error code of a port ("Permission denied").
std::string ErrorWords(int error);

/// "cannot open WHAT: <words> (hint)": the hint names the groups that give
/// access (EACCES) or the kind of program that holds the port (EBUSY).
std::string OpenFailureLine(const std::string& what, int error, const std::string& groups);

/// Why a write ended before the data was taken; a serial line's timeout also
/// suspects the flow control.
std::string WriteFailureLine(int error, PortKind kind);

}  // namespace korva::port

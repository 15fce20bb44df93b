#pragma once
// Whether this user can have a port now, asked when the connection is
// confirmed: a tool that opens it later would only say so then.
#include <string>
#include <string_view>

namespace korva::app {

/// Empty when the device behind `portName` (a path, or COMn / LPTn) can be
/// opened and is held by no other program; else the message to show, with
/// the cause and its fix (the group to join, the program to close). A device
/// that is not there is left to the tool's own open.
std::string PortAccessProblem(std::string_view portName, bool parallel);

}  // namespace korva::app

#include "port/FailureLine.h"

#include <cerrno>
#include <cstring>

#include "printer/Series.h"

namespace korva::port {

std::string ErrorWords(int error) { return std::strerror(error); }

namespace {
std::string CannotOpen(const std::string& what, int error, const std::string& groups) {
    std::string line = "cannot open " + what + ": " + ErrorWords(error);
    if (error == EACCES) line += " (is the user in group " + groups + "?)";
    if (error == EBUSY) line += " (another program, such as a print spooler, holds it)";
    return line;
}
}  // namespace

std::string OpenFailureLine(const ConnectionSettings& settings, PortKind kind, int error) {
    if (kind != PortKind::Usb) return CannotOpen(settings.portName, error, "dialout or lp");
    const std::string series(printer::NewerSeriesName(settings.deviceType));
    if (settings.usbNode.empty() && error == ENODEV) return "no " + series + " USB printer found";
    return CannotOpen(settings.usbNode.empty() ? "the " + series + " USB printer" : settings.usbNode,
                      error, "lp");
}

std::string ConnectFailureWords(int error) {
    return error == ECONNABORTED ? "the printer closed the connection right after accepting it" : "";
}

std::string WriteFailureLine(int error, PortKind kind) {
    // Only a serial line has a flow control to get wrong; a USB or parallel
    // printer that stops taking data is off line, out of paper or open.
    if (error == ETIMEDOUT && kind == PortKind::Serial)
        return "the printer did not take the data in time (is it on line, does the flow "
               "control match?)";
    if (error == ETIMEDOUT)
        return "the printer did not take the data in time (is it on line, with paper, its "
               "cover closed?)";
    if (error == ENODEV) return "the printer is gone (unplugged or switched off)";
    return error != 0 ? ErrorWords(error) : "the port stopped taking data";
}

}  // namespace korva::port

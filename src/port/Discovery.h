#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "printer/Series.h"

namespace korva::base {
class CErrorLog;
}

namespace korva::port {

/// Where the system's device tables live; tests point both at a fake tree.
struct DeviceRoots {
    std::string sys = "/sys";
    std::string dev = "/dev";
};

/// Hardware-id prefixes of the two USB series.
using printer::kUsbIdKorva20;
using printer::kUsbIdKorva20II;

/// The prefix for a device type: 3 the KORVA20II series, else the first generation.
const char* UsbIdPrefixForDeviceType(int deviceType);

/// Appends the system's serial ports (parallel false) or parallel ports
/// (parallel true) to `list` and returns how many were added. Serial ports are
/// the ttys with a device behind them (/sys/class/tty/*/device, unused 8250
/// slots left out), parallel ports the /dev/parport* nodes; both sorted as text
/// and named by their device path (/dev/ttyS0, /dev/parport0).
int EnumPorts(bool parallel, std::vector<std::string>& list, const DeviceRoots& roots = {});

/// One attached USB printer: its usblp node and its hardware id
/// "USB\VID_xxxx&PID_xxxx&REV_xxxx" formed from the USB device's sysfs ids.
struct UsbPrinterEntry {
    std::string devicePath;
    std::string hardwareId;
    bool idsReadable = true;
};

/// Every usblp printer interface, in lp number order.
std::vector<UsbPrinterEntry> ListUsbPrinters(const DeviceRoots& roots);

/// The IEEE 1284 device ID of a usblp printer as the driver reads it from the
/// printer (LPIOC_GET_DEVICE_ID): the length bytes and the fields. Empty, with
/// `error` the errno, when the node cannot be opened (EBUSY: another program
/// holds it, EACCES: not in group lp) or the printer does not answer.
std::vector<uint8_t> ReadUsbDeviceId(const std::string& devicePath, int& error);

/// Counts the attached printers whose hardware id (upper-cased) begins with
/// `prefix`; -1 when there is none or the search failed.
int FindUsbPrinter(std::string_view prefix, base::CErrorLog& log, const DeviceRoots& roots = {});

/// Opens the first matching printer for reading and writing; returns its
/// descriptor or -1. `path` receives the device path of the last printer
/// examined; `openError` (when given) why it failed: the open's own errno
/// (EACCES: not in group lp, EBUSY: a spooler holds it), else ENODEV.
int OpenUsbPrinter(std::string_view prefix, std::string& path, base::CErrorLog& log,
                   const DeviceRoots& roots = {}, int* openError = nullptr);

}  // namespace korva::port

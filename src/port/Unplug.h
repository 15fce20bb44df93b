#pragma once
#include <string>

namespace korva::port {

/// How long a device that failed may take to leave sysfs: the kernel hangs up
/// a pulled adapter's tty, or fails a pulled printer's transfer, a moment
/// before it removes the device.
inline constexpr int kUnplugSettleMs = 1000;

/// Whether the device behind `fd` was unplugged: a USB printer (usblp), USB
/// serial adapter or modem (ttyUSB, ttyACM) whose sysfs entry under
/// `sysRoot`/dev/char is gone, or goes within `waitMs`. False for every other
/// device (a pty, an 8250 port) and where sysfs cannot tell.
bool DeviceUnplugged(int fd, const std::string& sysRoot, int waitMs);

}  // namespace korva::port

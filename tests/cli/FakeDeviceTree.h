#pragma once
// A fake /sys + /dev for `korva` run with KORVA_SYSFS_ROOT / KORVA_DEV_ROOT:
// ttys with or without hardware, parallel nodes, USB printers with their ids.
#include <filesystem>
#include <fstream>
#include <string>

#include "KorvaProcess.h"
#include "support/TestDir.h"

namespace korva::test {

class FakeDeviceTree {
  public:
    FakeDeviceTree() {
        std::filesystem::create_directories(Sys() / "class/tty");
        std::filesystem::create_directories(Dev() / "usb");
    }
    std::filesystem::path Sys() const { return m_Dir / "sys"; }
    std::filesystem::path Dev() const { return m_Dir / "dev"; }
    std::string DevPath(const std::string& name) const { return (Dev() / name).string(); }

    /// Points the process at this tree.
    void Apply(KorvaProcess& korva) const {
        korva.SetEnv("KORVA_SYSFS_ROOT", QString::fromStdString(Sys().string()));
        korva.SetEnv("KORVA_DEV_ROOT", QString::fromStdString(Dev().string()));
    }

    /// A tty class entry; `hardware` gives it a device link, `uartType` a type file.
    void AddTty(const std::string& name, bool hardware, const char* uartType = nullptr) {
        const auto entry = Sys() / "class/tty" / name;
        std::filesystem::create_directories(entry);
        if (hardware) std::filesystem::create_directories(entry / "device");
        if (uartType) std::ofstream(entry / "type") << uartType << "\n";
    }
    void AddParport(const std::string& name) { std::ofstream(Dev() / name).put('\0'); }

    /// usbmisc lpN on a USB device with these ids (an empty vendor leaves the ids
    /// unreadable); its node is an empty regular file unless `nodeTarget` makes
    /// it a symbolic link to another file.
    std::filesystem::path AddUsbPrinter(int n, const std::string& vendor,
                                        const std::string& product, const std::string& revision,
                                        const std::string& nodeTarget = {}) {
        const std::string lp = "lp" + std::to_string(n);
        const auto device = Sys() / "devices/usb1" / ("1-" + std::to_string(n));
        std::filesystem::create_directories(device / "1.0");
        if (!vendor.empty()) std::ofstream(device / "idVendor") << vendor << "\n";
        std::ofstream(device / "idProduct") << product << "\n";
        std::ofstream(device / "bcdDevice") << revision << "\n";
        const auto entry = Sys() / "class/usbmisc" / lp;
        std::filesystem::create_directories(entry);
        std::filesystem::create_symlink(device / "1.0", entry / "device");
        const auto node = Dev() / "usb" / lp;
        if (nodeTarget.empty()) {
            std::ofstream{node};
        } else {
            std::filesystem::create_symlink(nodeTarget, node);
        }
        return node;
    }

  private:
    TestDir m_Dir;
};

}  // namespace korva::test

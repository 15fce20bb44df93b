// The device tables korva ports and the port classification read: entry
// names under /sys/class/usbmisc, /sys/class/tty and /dev, and the sysfs
// attributes beside them (idVendor, idProduct, bcdDevice, type, the subsystem
// link of /sys/dev/char/M:m). The input is NUL-separated fields, taken three
// at a time (a name and two attribute texts), laid out as a tree in a
// folder of this process; the tree's root stands for / in each call.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "NulFields.h"
#include "port/Discovery.h"
#include "port/PortPath.h"

namespace {
namespace fs = std::filesystem;
using namespace korva::port;

const fs::path& Root() {
    static const fs::path root = [] {
        std::string pattern = (fs::temp_directory_path() / "korva-devtree-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        std::atexit([] { std::error_code ignored; fs::remove_all(Root(), ignored); });
        return fs::path(pattern);
    }();
    return root;
}

/// A name the file system can hold as one entry; "" when none.
std::string EntryName(std::string name) {
    std::replace(name.begin(), name.end(), '/', '_');
    if (name.size() > 200) name.resize(200);
    return name == "." || name == ".." ? std::string() : name;
}

void Write(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

/// The sysfs entry of /dev/null's device number, as the kernel links it.
fs::path NullCharEntry(const fs::path& sys) {
    struct stat info {};
    if (::stat("/dev/null", &info) != 0) std::abort();
    return sys / "dev" / "char" / (std::to_string(::major(info.st_rdev)) + ":" + std::to_string(::minor(info.st_rdev)));
}

void Build(const std::vector<std::string>& fields, const fs::path& sys, const fs::path& dev) {
    for (size_t at = 0; at < fields.size(); at += 3) {
        const std::string name = EntryName(fields[at]);
        const std::string first = at + 1 < fields.size() ? fields[at + 1] : "";
        const std::string second = at + 2 < fields.size() ? fields[at + 2] : "";
        if (name.empty()) continue;
        std::error_code ignored;
        switch (at / 3 % 3) {
            case 0: {  // a usblp interface; its USB device is the folder above "device"
                const fs::path entry = sys / "class" / "usbmisc" / name;
                fs::create_directories(entry / "device", ignored);
                Write(entry / "idVendor", first);
                Write(entry / "idProduct", second);
                Write(entry / "bcdDevice", first + second);
                break;
            }
            case 1: {  // a tty, with a device behind it when the second text is not empty
                const fs::path entry = sys / "class" / "tty" / name;
                fs::create_directories(second.empty() ? entry : entry / "device", ignored);
                Write(entry / "type", first);
                Write(dev / name, "");
                break;
            }
            default: {  // what sysfs says of /dev/null's number, and a /dev entry
                const fs::path entry = NullCharEntry(sys);
                fs::create_directories(entry, ignored);
                fs::create_directories(sys / "class" / name, ignored);
                fs::create_directory_symlink(sys / "class" / name, entry / "subsystem", ignored);
                Write(entry / "type", first);
                if (!second.empty()) fs::create_directories(entry / "device", ignored);
                Write(dev / name, second);
                break;
            }
        }
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> fields = SplitAtNul(data, size);
    const fs::path sys = Root() / "sys", dev = Root() / "dev";
    std::error_code ignored;
    fs::remove_all(sys, ignored);
    fs::remove_all(dev, ignored);
    fs::create_directories(sys, ignored);
    fs::create_directories(dev, ignored);
    Build(fields, sys, dev);
    const DeviceRoots roots{sys.string(), dev.string()};

    // Every listed printer is a usblp node under the device root, named lpN.
    for (const UsbPrinterEntry& printer : ListUsbPrinters(roots)) {
        if (!printer.devicePath.starts_with(roots.dev + "/usb/lp")) std::abort();
        if (printer.idsReadable != !printer.hardwareId.empty()) std::abort();
    }
    std::vector<std::string> ports;
    const int serial = EnumPorts(false, ports, roots);
    const int parallel = EnumPorts(true, ports, roots);
    if (serial < 0 || parallel < 0 || static_cast<size_t>(serial + parallel) != ports.size()) std::abort();
    // A name is classified the same however often it is asked.
    for (const std::string& field : fields) {
        const PortClass once = ClassifyPortName(field, roots.sys);
        if (ClassifyPortName(field, roots.sys).kind != once.kind) std::abort();
        DevicePathFor(field, roots.dev);
    }
    ClassifyPortName("/dev/null", roots.sys);
    return 0;
}

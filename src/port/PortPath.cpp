#include "port/PortPath.h"

#include <filesystem>
#include <sys/stat.h>

namespace korva::port {

namespace {

/// n of "COMn"/"LPTn" (case-insensitive prefix), or -1 when the rest is not a number >= 1.
int PortNumber(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 4) return -1;
    if (AsciiUpper(name.substr(0, prefix.size())) != prefix) return -1;
    int number = 0;
    for (char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9') return -1;
        number = number * 10 + (c - '0');
    }
    return number >= 1 ? number : -1;
}

}  // namespace

PortKind ClassifyPortPath(std::string_view name, const std::string& sysRoot) {
    const PortKind kind = ClassifyPort(name);
    if (kind != PortKind::OutputFile || !name.starts_with('/')) return kind;

    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(std::string(name), error);
    if (error) return kind;
    const PortKind resolved = ClassifyPort(target.string());
    if (resolved == PortKind::Serial || resolved == PortKind::Parallel) return resolved;

    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && S_ISCHR(info.st_mode) &&
        std::filesystem::exists(std::filesystem::path(sysRoot) / "class/tty" / target.filename(),
                                error)) {
        return PortKind::Serial;
    }
    return kind;
}

std::string DevicePathFor(std::string_view name, const std::string& devRoot) {
    if (const int com = PortNumber(name, "COM"); com > 0) {
        return devRoot + "/ttyS" + std::to_string(com - 1);
    }
    if (const int lpt = PortNumber(name, "LPT"); lpt > 0) {
        return devRoot + "/parport" + std::to_string(lpt - 1);
    }
    return std::string(name);
}

}  // namespace korva::port

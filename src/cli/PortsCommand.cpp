// korva ports: the serial and parallel ports and the USB printers this
// machine has, one per line (or as JSON), so a user knows what to give --port.
#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/DeviceRootsEnv.h"
#include "cli/JsonReport.h"
#include "cli/Output.h"
#include "port/Discovery.h"
#include "port/PortKind.h"

namespace korva::cli {
namespace {

struct FoundPort {
    std::string kind;  ///< "serial", "parallel" or "usb"
    std::string path;
    std::string hardwareId;  ///< usb only; empty when its ids could not be read
    std::string series;      ///< KORVA20 / KORVA20II for a KORVA USB printer, else empty
};

/// The KORVA series a USB hardware id belongs to, or "" for another printer.
std::string SeriesOf(const std::string& hardwareId) {
    const std::string id = port::AsciiUpper(hardwareId);
    if (id.starts_with(port::kUsbIdKorva20II)) return "KORVA20II";
    if (id.starts_with(port::kUsbIdKorva20)) return "KORVA20";
    return "";
}

std::vector<FoundPort> FindPorts(const port::DeviceRoots& roots) {
    std::vector<FoundPort> found;
    for (const bool parallel : {false, true}) {
        std::vector<std::string> paths;
        port::EnumPorts(parallel, paths, roots);
        for (std::string& path : paths)
            found.push_back({parallel ? "parallel" : "serial", std::move(path), "", ""});
    }
    for (port::UsbPrinterEntry& printer : port::ListUsbPrinters(roots)) {
        const std::string series = SeriesOf(printer.hardwareId);
        found.push_back(
            {"usb", std::move(printer.devicePath), std::move(printer.hardwareId), series});
    }
    return found;
}

void PrintText(const std::vector<FoundPort>& ports) {
    for (const FoundPort& port : ports) {
        std::string line = port.kind + std::string(10 - port.kind.size(), ' ') + port.path;
        if (port.kind == "usb") {
            line += "  " +
                    (port.hardwareId.empty() ? std::string("(ids unreadable)") : port.hardwareId);
            if (!port.series.empty()) line += "  " + port.series;
        }
        std::printf("%s\n", line.c_str());
    }
    if (ports.empty()) Note("no serial, parallel or USB printer port found");
}

void PrintJson(const std::vector<FoundPort>& ports) {
    QJsonArray list;
    for (const FoundPort& port : ports) {
        QJsonObject entry{{"kind", QString::fromStdString(port.kind)},
                          {"path", QString::fromStdString(port.path)}};
        if (port.kind == "usb") {
            entry["hardware_id"] =
                port.hardwareId.empty() ? QJsonValue() : QString::fromStdString(port.hardwareId);
            entry["series"] =
                port.series.empty() ? QJsonValue() : QString::fromStdString(port.series);
        }
        list.append(entry);
    }
    JsonReport(Outcome::Done).Set("ports", list).Print();
}

int RunPorts(const ParsedOptions& options) {
    if (!options.Operands().empty()) return UsageError("unexpected argument " + options.Operands()[0]);
    const std::vector<FoundPort> ports = FindPorts(DeviceRootsFromEnvironment());
    if (Mode().json) {
        PrintJson(ports);
    } else {
        PrintText(ports);
    }
    return kExitOk;
}

const CommandRegistration kPorts{{
    {"ports"},
    "list the serial, parallel and USB printer ports found",
    "",
    "Lists the serial ports, parallel ports and USB printers found, one per line:\n"
    "the kind, the device path and, for a USB printer, its hardware id and series.\n"
    "Any of these paths goes to --port as it is; --port USB picks the one KORVA USB\n"
    "printer of the model's series. --json gives {\"outcome\":\"done\",\"ports\":\n"
    "[{kind, path[, hardware_id, series]}...]}.",
    {},
    RunPorts,
}};

}  // namespace
}  // namespace korva::cli

// korva ports: the serial and parallel ports and the USB printers this
// machine has, one per line (or as JSON), so a user knows what to give --port.
#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/DeviceRootsEnv.h"
#include "cli/JsonReport.h"
#include "cli/Output.h"
#include "port/DeviceId.h"
#include "port/Discovery.h"
#include "port/FailureLine.h"
#include "port/PortKind.h"
#include "printer/Series.h"

namespace korva::cli {
namespace {

struct FoundPort {
    std::string kind;  ///< "serial", "parallel" or "usb"
    std::string path;
    std::string hardwareId;  ///< usb only; empty when its ids could not be read
    std::string series;      ///< KORVA20 / KORVA20II for a KORVA USB printer, else empty
    std::optional<port::DeviceId> deviceId;  ///< usb only: what the printer says it is
};

/// What a USB printer says it is, asked through its driver; nullopt (and why,
/// under -v) when it is held by another program or does not answer.
std::optional<port::DeviceId> AskDeviceId(const std::string& path) {
    int error = 0;
    const std::vector<uint8_t> reply = port::ReadUsbDeviceId(path, error);
    if (error != 0) {
        Verbose(path + ": no device ID: " + port::ErrorWords(error));
        return std::nullopt;
    }
    std::string problem;
    std::optional<port::DeviceId> id = port::ParseDeviceId(reply, problem);
    if (!id) Verbose(path + ": " + problem);
    return id;
}

/// The KORVA series a USB hardware id belongs to, or "" for another printer.
std::string SeriesOf(const std::string& hardwareId) {
    return std::string(printer::SeriesName(printer::SeriesOfUsbId(hardwareId)));
}

std::vector<FoundPort> FindPorts(const port::DeviceRoots& roots) {
    std::vector<FoundPort> found;
    for (const bool parallel : {false, true}) {
        std::vector<std::string> paths;
        port::EnumPorts(parallel, paths, roots);
        for (std::string& path : paths)
            found.push_back({parallel ? "parallel" : "serial", std::move(path), "", "", std::nullopt});
    }
    for (port::UsbPrinterEntry& printer : port::ListUsbPrinters(roots)) {
        const std::string series = SeriesOf(printer.hardwareId);
        std::optional<port::DeviceId> id = AskDeviceId(printer.devicePath);
        found.push_back({"usb", std::move(printer.devicePath), std::move(printer.hardwareId), series,
                         std::move(id)});
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
            if (port.deviceId && !port.deviceId->model.empty()) line += "  model " + port.deviceId->model;
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
            const auto idField = [&](const std::string port::DeviceId::*field) {
                return port.deviceId && !((*port.deviceId).*field).empty()
                           ? QJsonValue(QString::fromStdString((*port.deviceId).*field))
                           : QJsonValue();
            };
            entry["model"] = idField(&port::DeviceId::model);
            entry["device_id"] = idField(&port::DeviceId::text);
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
    "the kind, the device path and, for a USB printer, its hardware id, series and\n"
    "the model it names in its IEEE 1284 device ID (asked through the driver; not\n"
    "shown while another program holds the printer).\n"
    "Any of these paths goes to --port as it is; --port USB picks the one KORVA USB\n"
    "printer of the model's series. --json gives {\"outcome\":\"done\",\"ports\":\n"
    "[{kind, path[, hardware_id, series, model, device_id]}...]}.",
    {},
    RunPorts,
}};

}  // namespace
}  // namespace korva::cli

#include "cli/ConnectionOptions.h"

#include <algorithm>
#include <filesystem>

#include "profile/IniProfile.h"
#include "profile/ModelRules.h"
#include "cli/Command.h"
#include "cli/DeviceRootsEnv.h"
#include "cli/JsonReport.h"
#include "cli/NumberText.h"
#include "cli/RunReason.h"
#include "cli/Suggest.h"
#include "cli/TargetLock.h"
#include "netcfg/HostAddress.h"
#include "port/DeviceType.h"
#include "port/Discovery.h"
#include "port/PortKind.h"
#include "port/PortPath.h"
#include "printer/Series.h"

namespace korva::cli {

const std::vector<OptionSpec>& ConnectionOptionSpecs() {
    static const std::vector<OptionSpec> specs = {
        {"port", 'p', "P",
         "the printer's port: a serial device (/dev/ttyUSB0,\n"
         "COM1 = /dev/ttyS0), a parallel one (/dev/parport0,\n"
         "LPT1), USB (the one KORVA USB printer of the\n"
         "model's series), a USB printer node (/dev/usb/lp1,\n"
         "as 'korva ports' lists them) or ETHERNET_II"},
        {"baud", 'b', "N", "serial rate, default 115200"},
        {"data-bits", 0, "N", "5..8, default 8"},
        {"parity", 0, "P", "none|odd|even, default none"},
        {"stop-bits", 0, "S", "1|1.5|2, default 1"},
        {"flow", 0, "F", "hw|sw|none, default hw"},
        {"model", 0, "NAME", "printer model, e.g. KORVA20S (gives the device type)"},
        {"device-type", 0, "N", "1 KORVA20, 2 KORVA10, 3 KORVA20II (instead of --model)"},
        {"ip", 0, "A.B.C.D", "Ethernet printer address (decimal numbers; a leading\n"
                             "zero is no octal) or host name, default 192.168.0.254"},
        {"tcp-port", 0, "N", "Ethernet printer TCP port, default 6001"},
        WaitLockOption(),
    };
    return specs;
}

std::vector<OptionSpec> WithConnectionOptions(std::vector<OptionSpec> own) {
    own.insert(own.end(), ConnectionOptionSpecs().begin(), ConnectionOptionSpecs().end());
    return own;
}

OptionSpec TimeoutOption(const std::string& help) {
    return {"timeout", 0, "MS", help, {"answer-timeout"}};
}

OptionSpec CheckTimeoutOption() {
    return TimeoutOption("how long the printer may take to answer its check,\n"
                         "default 500");
}

OptionSpec OutOption(const std::string& help) { return {"out", 0, "FILE", help, {"to-file"}}; }

namespace {

/// The device type a KORVA USB hardware id stands for; none for another printer.
int DeviceTypeOfUsbId(const std::string& hardwareId) {
    return static_cast<int>(printer::SeriesOfUsbId(hardwareId));
}

/// "USB" must mean one printer, as in the connection dialog; a usblp node
/// given by path is that printer, its series told by its ids unless a model
/// is given. False after reporting a usage error.
bool ResolveUsbPrinter(port::ConnectionSettings& settings, bool modelGiven) {
    const std::vector<port::UsbPrinterEntry> printers =
        port::ListUsbPrinters(DeviceRootsFromEnvironment());
    if (port::ClassifyPseudoName(settings.portName) == port::PortKind::Usb) {
        const std::string prefix = port::UsbIdPrefixForDeviceType(settings.deviceType);
        std::string paths;
        int count = 0;
        for (const port::UsbPrinterEntry& printer : printers) {
            if (!port::AsciiUpper(printer.hardwareId).starts_with(prefix)) continue;
            paths += (count++ ? ", " : "") + printer.devicePath;
        }
        if (count <= 1) return true;
        UsageError(std::to_string(count) + " " + std::string(printer::NewerSeriesName(settings.deviceType)) +
                   " USB printers are attached (" + paths + "); name one with --port");
        return false;
    }
    if (!settings.portName.starts_with('/')) return true;
    for (const port::UsbPrinterEntry& printer : printers) {
        std::error_code error;
        if (!std::filesystem::equivalent(settings.portName, printer.devicePath, error)) continue;
        const int idType = DeviceTypeOfUsbId(printer.hardwareId);
        if (modelGiven && idType != port::kDeviceTypeNone && idType != settings.deviceType) {
            UsageError(settings.portName + " is a " + std::string(printer::NewerSeriesName(idType)) +
                       " printer, but the model is a " +
                       std::string(printer::NewerSeriesName(settings.deviceType)));
            return false;
        }
        if (!modelGiven && idType != port::kDeviceTypeNone) settings.deviceType = idType;
        settings.usbNode = settings.portName;
        settings.portName = "USB";
        return true;
    }
    return true;
}

/// For a device path that is not there, the nearest port that is, kept
/// for the reason line of the failure that follows.
void HintNearestPort(const std::string& name) {
    std::error_code error;
    if (!name.starts_with("/dev/") || std::filesystem::exists(name, error)) return;
    const port::DeviceRoots roots = DeviceRootsFromEnvironment();
    std::vector<std::string> ports;
    port::EnumPorts(false, ports, roots);
    port::EnumPorts(true, ports, roots);
    for (const port::UsbPrinterEntry& printer : port::ListUsbPrinters(roots)) ports.push_back(printer.devicePath);
    if (const std::string near = ClosestWord(name, ports); !near.empty())
        SetGoneHint("did you mean " + near + "?");
}

}  // namespace

std::vector<std::string> KnownModels() {
    const profile::IniProfile profile(profile::DefaultProfilePath("KorvaTool"));
    return profile::ModelList(profile);
}

std::optional<port::ConnectionSettings> ConnectionFromOptions(const ParsedOptions& options,
                                                              bool portRequired, ModelRule model) {
    if (portRequired && !options.Has("port")) {
        UsageError("--port is required (a serial device such as /dev/ttyUSB0 or COM1, LPT1, "
                   "USB, /dev/usb/lp0, ETHERNET_II)");
        return std::nullopt;
    }
    if (model == ModelRule::Required && !options.Has("model") && !options.Has("device-type")) {
        UsageError("--model or --device-type is required: the printer's series decides what is "
                   "sent");
        return std::nullopt;
    }
    if (options.Has("model")) {
        const std::vector<std::string> known = KnownModels();
        const std::string given = port::AsciiUpper(options.Get("model"));
        const bool found = std::any_of(known.begin(), known.end(), [&](const std::string& name) {
            return port::AsciiUpper(name) == given;
        });
        if (!found) {
            std::string list;
            for (const std::string& name : known) list += (list.empty() ? "" : ", ") + name;
            UsageError("unknown model " + options.Get("model") + "; known models: " + list);
            return std::nullopt;
        }
    }
    port::ConnectionText text;
    text.port = options.Get("port");
    text.baud = options.Get("baud");
    text.dataBits = options.Get("data-bits");
    text.parity = options.Get("parity");
    text.stopBits = options.Get("stop-bits");
    text.flow = options.Get("flow");
    text.model = options.Get("model");
    text.deviceType = options.Get("device-type");
    if (options.Has("ip")) {
        // Resolved once: the lock, the messages and the result name this address.
        const netcfg::HostAddress ip = netcfg::ResolveHostAddress(options.Get("ip"));
        if (!ip.error.empty()) {
            UsageError(ip.error);
            return std::nullopt;
        }
        text.ip = ip.address;
    }
    text.tcpPort = options.Get("tcp-port");
    port::Parsed<port::ConnectionSettings> settings = port::ParseConnection(text);
    if (!settings) {
        UsageError(settings.error);
        return std::nullopt;
    }
    HintNearestPort(settings.value->portName);
    const bool modelGiven = options.Has("model") || options.Has("device-type");
    if (!ResolveUsbPrinter(*settings.value, modelGiven)) return std::nullopt;
    const port::PortClass device = ClassifyConnectionPort(*settings.value);
    if (device.kind == port::PortKind::NotAPort) {
        UsageError(port::NotAPortText(settings.value->portName, device));
        return std::nullopt;
    }
    if (options.Has("port")) SetJsonTarget(TargetJson(*settings.value));
    return std::move(*settings.value);
}

QJsonObject TargetJson(const port::ConnectionSettings& settings) {
    const bool ethernet = ClassifyConnectionPort(settings).kind == port::PortKind::Ethernet;
    return QJsonObject{
        {"port", QString::fromStdString(settings.portName)},
        {"ip", ethernet ? QJsonValue(QString::fromStdString(settings.ipAddress)) : QJsonValue()},
        {"tcp_port", ethernet ? QJsonValue(settings.tcpPort) : QJsonValue()},
        {"mac", QJsonValue()},
    };
}

QJsonObject FileTargetJson(const std::string& path) {
    return QJsonObject{{"port", QString::fromStdString(path)}, {"ip", QJsonValue()},
                       {"tcp_port", QJsonValue()}, {"mac", QJsonValue()}};
}

port::PortClass ClassifyConnectionPort(const port::ConnectionSettings& settings) {
    return port::ClassifyPortName(settings.portName, DeviceRootsFromEnvironment().sys);
}

std::optional<int> TimeoutFromOptions(const ParsedOptions& options, int fallback, int lo, int hi) {
    if (!options.Has("timeout")) return fallback;
    int value = 0;
    if (!ParseNumber(options.Get("timeout"), lo, hi, value)) {
        UsageError("--timeout takes milliseconds, " + std::to_string(lo) + ".." + std::to_string(hi));
        return std::nullopt;
    }
    return value;
}

}  // namespace korva::cli

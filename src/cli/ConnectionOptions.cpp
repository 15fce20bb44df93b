#include "cli/ConnectionOptions.h"

#include <algorithm>

#include "app/IniProfile.h"
#include "app/ModelRules.h"
#include "cli/Command.h"
#include "cli/NumberText.h"
#include "port/PortKind.h"

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
        {"ip", 0, "A.B.C.D", "Ethernet printer address, default 192.168.0.254"},
        {"tcp-port", 0, "N", "Ethernet printer TCP port, default 6001"},
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

OptionSpec OutOption(const std::string& help) { return {"out", 0, "FILE", help, {"to-file"}}; }

std::vector<std::string> KnownModels() {
    const app::IniProfile profile(app::DefaultProfilePath("KorvaTool"));
    return app::ModelList(profile);
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
    text.ip = options.Get("ip");
    text.tcpPort = options.Get("tcp-port");
    port::Parsed<port::ConnectionSettings> settings = port::ParseConnection(text);
    if (!settings) {
        UsageError(settings.error);
        return std::nullopt;
    }
    return std::move(*settings.value);
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

#include "port/ConnectionArgs.h"

#include <string_view>

namespace korva::port {

namespace {

/// The text field of `text` an option fills, or nullptr for another option.
std::string* FieldFor(std::string_view option, ConnectionText& text) {
    if (option == "--port") return &text.port;
    if (option == "--baud") return &text.baud;
    if (option == "--data-bits") return &text.dataBits;
    if (option == "--parity") return &text.parity;
    if (option == "--stop-bits") return &text.stopBits;
    if (option == "--flow") return &text.flow;
    if (option == "--model") return &text.model;
    if (option == "--device-type") return &text.deviceType;
    if (option == "--ip") return &text.ip;
    if (option == "--tcp-port") return &text.tcpPort;
    return nullptr;
}

}  // namespace

ConnectionArgs ParseConnectionArgs(const std::vector<std::string>& args, bool portRequired) {
    ConnectionArgs out;
    ConnectionText text;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const size_t equals = arg.find('=');
        const std::string_view option = std::string_view(arg).substr(0, equals);
        std::string* field = arg.starts_with("--") ? FieldFor(option, text) : nullptr;
        if (field == nullptr) {
            out.rest.push_back(arg);
            continue;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            out.error = std::string(option) + " needs a value";
            return out;
        }
        if (value.empty()) {
            out.error = std::string(option) + " needs a value";
            return out;
        }
        if (!field->empty()) {
            out.error = std::string(option) + " given twice";
            return out;
        }
        *field = std::move(value);
    }
    out.portGiven = !text.port.empty();
    if (portRequired && !out.portGiven) {
        out.error = "--port is required (a serial device such as /dev/ttyUSB0 or COM1, "
                    "LPT1, USB, ETHERNET_II)";
        return out;
    }
    Parsed<ConnectionSettings> settings = ParseConnection(text);
    if (!settings) {
        out.error = settings.error;
        return out;
    }
    out.settings = std::move(*settings.value);
    return out;
}

}  // namespace korva::port

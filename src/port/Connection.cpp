#include "port/Connection.h"

#include <algorithm>
#include <array>

#include "base/ShortText.h"
#include "port/DeviceType.h"

namespace korva::port {

namespace {

/// Whole text as a decimal number (digits only, no sign); nullopt otherwise.
std::optional<long> DecimalValue(std::string_view text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string Quoted(std::string_view text) { return "\"" + base::ShortQuote(text) + "\""; }

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

constexpr std::array<int, 12> kBaudRates = {1200,  2400,  4800,   9600,   19200,  38400,
                                            57600, 115200, 230400, 460800, 921600, 600};

}  // namespace

bool ConnectionSettings::SerialComplete() const {
    return baudRate != kUnset && dataBits != kUnset && parity != kUnset && flowControl != kUnset;
}

bool IsSupportedBaudRate(int rate) {
    for (int known : kBaudRates) {
        if (known == rate) return true;
    }
    return false;
}

std::vector<int> SupportedBaudRates() {
    std::vector<int> rates(kBaudRates.begin(), kBaudRates.end());
    std::sort(rates.begin(), rates.end());
    return rates;
}

Parsed<int> ParseBaudRate(std::string_view text) {
    const auto value = DecimalValue(text);
    if (!value || !IsSupportedBaudRate(static_cast<int>(*value))) {
        return Parsed<int>::Fail("baud rate " + Quoted(text) +
                                 " is not a serial rate (for example 115200, 57600, 38400, "
                                 "19200, 9600)");
    }
    return Parsed<int>::Ok(static_cast<int>(*value));
}

Parsed<int> ParseDataBits(std::string_view text) {
    const auto value = DecimalValue(text);
    if (!value || *value < 5 || *value > 8) {
        return Parsed<int>::Fail("data bits " + Quoted(text) + " must be 5, 6, 7 or 8");
    }
    return Parsed<int>::Ok(static_cast<int>(*value));
}

Parsed<int> ParseParity(std::string_view text) {
    const std::string word = Lower(text);
    if (word == "none") return Parsed<int>::Ok(kParityNone);
    if (word == "odd") return Parsed<int>::Ok(kParityOdd);
    if (word == "even") return Parsed<int>::Ok(kParityEven);
    return Parsed<int>::Fail("parity " + Quoted(text) + " must be none, odd or even");
}

Parsed<int> ParseStopBits(std::string_view text) {
    if (text == "1") return Parsed<int>::Ok(kStopBits1);
    if (text == "1.5") return Parsed<int>::Ok(kStopBits1_5);
    if (text == "2") return Parsed<int>::Ok(kStopBits2);
    return Parsed<int>::Fail("stop bits " + Quoted(text) + " must be 1, 1.5 or 2");
}

Parsed<int> ParseFlowControl(std::string_view text) {
    const std::string word = Lower(text);
    if (word == "hw") return Parsed<int>::Ok(kFlowHardware);
    if (word == "sw") return Parsed<int>::Ok(kFlowSoftware);
    if (word == "none") return Parsed<int>::Ok(kFlowNone);
    return Parsed<int>::Fail("flow control " + Quoted(text) + " must be hw, sw or none");
}

Parsed<int> ParseDeviceType(std::string_view text) {
    const auto value = DecimalValue(text);
    if (!value || *value < 1 || *value > 3) {
        return Parsed<int>::Fail("device type " + Quoted(text) + " must be 1, 2 or 3");
    }
    return Parsed<int>::Ok(static_cast<int>(*value));
}

Parsed<std::string> ParseIpAddress(std::string_view text) {
    const auto fail = [&] {
        return Parsed<std::string>::Fail("IP address " + Quoted(text) +
                                         " must be four numbers 0..255 like 192.168.0.254");
    };
    std::string_view rest = text;
    for (int part = 0; part < 4; ++part) {
        const size_t dot = rest.find('.');
        const bool last = part == 3;
        if (last != (dot == std::string_view::npos)) return fail();
        const std::string_view number = last ? rest : rest.substr(0, dot);
        const auto value = DecimalValue(number);
        if (!value || *value > 255 || number.size() > 3) return fail();
        if (!last) rest.remove_prefix(dot + 1);
    }
    return Parsed<std::string>::Ok(std::string(text));
}

Parsed<int> ParseTcpPort(std::string_view text) {
    const auto value = DecimalValue(text);
    if (!value || *value < 1 || *value > 65535) {
        return Parsed<int>::Fail("TCP port " + Quoted(text) + " must be 1..65535");
    }
    return Parsed<int>::Ok(static_cast<int>(*value));
}

std::string CheckStopBitsForDataBits(int dataBits, int stopBits) {
    // A UART sends one and a half stop bits only for 5-bit characters, and
    // cannot send two after them.
    if (stopBits == kStopBits1_5 && dataBits != 5) return "1.5 stop bits need 5 data bits";
    if (stopBits == kStopBits2 && dataBits == 5) return "2 stop bits cannot follow 5 data bits";
    return {};
}

std::string NormalizePortName(std::string_view name) {
    switch (ClassifyPseudoName(name)) {
    case PortKind::Usb:
    case PortKind::Ethernet:
    case PortKind::File:
    case PortKind::Serial:
    case PortKind::Parallel:
        return AsciiUpper(name);
    case PortKind::OutputFile:
    case PortKind::NotAPort:
        break;
    }
    return std::string(name);
}

Parsed<ConnectionSettings> ParseConnection(const ConnectionText& text) {
    using Result = Parsed<ConnectionSettings>;
    ConnectionSettings out;
    out.portName = NormalizePortName(text.port);

    // The usual line; each option given replaces its field.
    out.baudRate = 115200;
    out.dataBits = 8;
    out.parity = kParityNone;
    out.stopBits = kStopBits1;
    out.flowControl = kFlowHardware;
    const auto take = [](const std::string& given, Parsed<int> (*parse)(std::string_view),
                         int& field) -> std::string {
        if (given.empty()) return {};
        Parsed<int> value = parse(given);
        if (value) field = *value.value;
        return value.error;
    };
    for (const std::string& why : {take(text.baud, ParseBaudRate, out.baudRate),
                                   take(text.dataBits, ParseDataBits, out.dataBits),
                                   take(text.parity, ParseParity, out.parity),
                                   take(text.stopBits, ParseStopBits, out.stopBits),
                                   take(text.flow, ParseFlowControl, out.flowControl)}) {
        if (!why.empty()) return Result::Fail(why);
    }
    if (std::string why = CheckStopBitsForDataBits(out.dataBits, out.stopBits); !why.empty()) {
        return Result::Fail(why);
    }

    if (!text.model.empty() && !text.deviceType.empty()) {
        return Result::Fail("give either a model or a device type, not both");
    }
    out.deviceType = kDeviceTypeKorva20;
    if (!text.model.empty()) out.deviceType = DeviceTypeForModel(AsciiUpper(text.model));
    if (!text.deviceType.empty()) {
        Parsed<int> type = ParseDeviceType(text.deviceType);
        if (!type) return Result::Fail(type.error);
        out.deviceType = *type.value;
    }

    if (!text.ip.empty()) {
        Parsed<std::string> ip = ParseIpAddress(text.ip);
        if (!ip) return Result::Fail(ip.error);
        out.ipAddress = *ip.value;
    }
    if (!text.tcpPort.empty()) {
        Parsed<int> port = ParseTcpPort(text.tcpPort);
        if (!port) return Result::Fail(port.error);
        out.tcpPort = *port.value;
    }
    return Result::Ok(std::move(out));
}

}  // namespace korva::port

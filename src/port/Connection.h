#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "port/PortKind.h"

namespace korva::port {

/// "Not chosen yet" for the serial line settings.
inline constexpr int kUnset = -1;

/// Line-setting codes as the connection settings hold them.
enum Parity : int { kParityNone = 0, kParityOdd = 1, kParityEven = 2 };
enum StopBits : int { kStopBits1 = 0, kStopBits1_5 = 1, kStopBits2 = 2 };
enum FlowControl : int { kFlowHardware = 1, kFlowSoftware = 2, kFlowNone = 3 };

inline constexpr const char* kDefaultPrinterIp = "192.168.0.254";
inline constexpr int kDefaultPrinterTcpPort = 6001;

/// Everything needed to reach one printer. Serial fields start unset (-1),
/// stop bits at one, device type at 0; the address is used for Ethernet only.
struct ConnectionSettings {
    std::string portName;
    int baudRate = kUnset;
    int dataBits = kUnset;
    int parity = kUnset;
    int stopBits = kStopBits1;
    int flowControl = kUnset;
    int deviceType = 0;
    std::string ipAddress = kDefaultPrinterIp;
    int tcpPort = kDefaultPrinterTcpPort;
    /// USB only: the usblp node of the printer meant; empty for the one KORVA
    /// USB printer of the device type's series.
    std::string usbNode;

    /// True when every serial line setting has been chosen.
    bool SerialComplete() const;
    bool operator==(const ConnectionSettings&) const = default;
};

/// A parsed value or the reason it was refused.
template <typename T>
struct Parsed {
    std::optional<T> value;
    std::string error;
    explicit operator bool() const { return value.has_value(); }
    static Parsed Ok(T v) { return {std::move(v), {}}; }
    static Parsed Fail(std::string why) { return {std::nullopt, std::move(why)}; }
};

/// Rates a serial line can run at.
bool IsSupportedBaudRate(int rate);
/// The same rates, slowest first.
std::vector<int> SupportedBaudRates();

Parsed<int> ParseBaudRate(std::string_view text);     ///< "115200"
Parsed<int> ParseDataBits(std::string_view text);     ///< "5".."8"
Parsed<int> ParseParity(std::string_view text);       ///< none|odd|even
Parsed<int> ParseStopBits(std::string_view text);     ///< 1|1.5|2
Parsed<int> ParseFlowControl(std::string_view text);  ///< hw|sw|none
Parsed<int> ParseDeviceType(std::string_view text);   ///< 1..3
Parsed<std::string> ParseIpAddress(std::string_view text);  ///< dotted quad A.B.C.D
Parsed<int> ParseTcpPort(std::string_view text);      ///< 1..65535

/// Why a data-bit / stop-bit pair cannot be put on a line ("" when it can):
/// one and a half stop bits exist only with 5 data bits, two stop bits not with 5.
std::string CheckStopBitsForDataBits(int dataBits, int stopBits);

/// Pseudo port names (COMn, LPTn, USB, FILE, ETHERNET_II) in upper case;
/// a device path or file name exactly as given.
std::string NormalizePortName(std::string_view name);

/// Connection settings as text, one field per option; an empty field was not given.
struct ConnectionText {
    std::string port;
    std::string baud;
    std::string dataBits;
    std::string parity;
    std::string stopBits;
    std::string flow;
    std::string model;
    std::string deviceType;
    std::string ip;
    std::string tcpPort;
};

/// Serial fields not given take the usual line: 115200 baud, 8 data bits,
/// no parity, one stop bit, hardware flow. Without a model or device type the
/// device type is 1. The model and the device type must not both be given.
Parsed<ConnectionSettings> ParseConnection(const ConnectionText& text);

}  // namespace korva::port

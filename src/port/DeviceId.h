#pragma once
// The IEEE 1284 device ID a printer reports (over USB, the GET_DEVICE_ID
// class request): two length bytes, then "KEY:value;" fields such as
// "MFG:KORVA;MDL:KORVA20IIU-II;CMD:ESC/POS;".
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace korva::port {

struct DeviceId {
    std::string text;          ///< the fields as sent, without the length bytes
    std::string manufacturer;  ///< MFG or MANUFACTURER; empty when not given
    std::string model;         ///< MDL or MODEL
    std::string commandSet;    ///< CMD or COMMAND SET
};

/// The longest ID read (a USB control transfer of the printer class).
inline constexpr size_t kDeviceIdMax = 1024;

/// Reads an ID as the driver hands it over: the big-endian length counts
/// itself (a little-endian one that fits where the big-endian one does not is
/// taken too, as some printers send it). nullopt with `error` set for a
/// length that does not fit what was read, or bytes that are no text.
std::optional<DeviceId> ParseDeviceId(std::span<const uint8_t> reply, std::string& error);

}  // namespace korva::port

#include "port/DeviceId.h"

#include <string_view>

#include "port/PortKind.h"

namespace korva::port {

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

void TakeField(std::string_view field, DeviceId& id) {
    const size_t colon = field.find(':');
    if (colon == std::string_view::npos) return;  // no key: nothing to name
    const std::string key = AsciiUpper(Trimmed(field.substr(0, colon)));
    const std::string value(Trimmed(field.substr(colon + 1)));
    std::string* slot = nullptr;
    if (key == "MFG" || key == "MANUFACTURER") slot = &id.manufacturer;
    if (key == "MDL" || key == "MODEL") slot = &id.model;
    if (key == "CMD" || key == "COMMAND SET") slot = &id.commandSet;
    if (slot != nullptr && slot->empty()) *slot = value;  // the first one counts
}

}  // namespace

std::optional<DeviceId> ParseDeviceId(std::span<const uint8_t> reply, std::string& error) {
    if (reply.size() < 2) {
        error = "the device ID is shorter than its length bytes";
        return std::nullopt;
    }
    size_t length = size_t{reply[0]} << 8 | reply[1];
    if (length > reply.size()) length = size_t{reply[1]} << 8 | reply[0];
    if (length < 2 || length > reply.size()) {
        error = "the device ID's length " + std::to_string(size_t{reply[0]} << 8 | reply[1]) +
                " does not fit the " + std::to_string(reply.size()) + " bytes read";
        return std::nullopt;
    }
    std::string_view text(reinterpret_cast<const char*>(reply.data()) + 2, length - 2);
    // A string terminator or padding after the fields is no part of them.
    while (!text.empty() && (text.back() == '\0' || text.back() == ' ')) text.remove_suffix(1);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E) {
            error = "the device ID holds a byte that is no text (" + std::to_string(byte) + ")";
            return std::nullopt;
        }
    }
    DeviceId id;
    id.text = std::string(text);
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find(';', start), text.size());
        TakeField(text.substr(start, end - start), id);
        start = end + 1;
    }
    return id;
}

}  // namespace korva::port

#pragma once
// The KORVA series: how profiles number them, how users read them, the model
// ID each answers with and the USB ids its USB interface reports.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace korva::printer {

/// Device types (the connection's series), numbered as profiles store them.
enum class Series : int { None = 0, Korva20 = 1, Korva10 = 2, Korva20II = 3 };

/// The series of a device type as stored; None for a number no series has.
constexpr Series SeriesOf(int deviceType) {
    return deviceType >= 1 && deviceType <= 3 ? static_cast<Series>(deviceType) : Series::None;
}

/// The series as users read it; "" for None.
constexpr std::string_view SeriesName(Series series) {
    switch (series) {
        case Series::Korva20: return "KORVA20";
        case Series::Korva10: return "KORVA10";
        case Series::Korva20II: return "KORVA20II";
        case Series::None: break;
    }
    return "";
}

/// Where only the newer series apply (USB interfaces, newer firmware), a
/// device type stands for KORVA20II when it is one and for KORVA20 otherwise.
constexpr Series NewerSeries(int deviceType) {
    return SeriesOf(deviceType) == Series::Korva20II ? Series::Korva20II : Series::Korva20;
}

/// The name of NewerSeries(deviceType): "KORVA20II" or "KORVA20".
constexpr std::string_view NewerSeriesName(int deviceType) {
    return SeriesName(NewerSeries(deviceType));
}

/// The family a connection belongs to, as the logo tool and the connection
/// label name it: "KORVA10" for the older series, "KORVA20" for the others.
constexpr std::string_view FamilyName(int deviceType) {
    return SeriesOf(deviceType) == Series::Korva10 ? "KORVA10" : "KORVA20";
}

struct ModelIdEntry {
    uint8_t id;
    Series series;
};

/// Every model ID a KORVA printer answers GS I 1 with.
inline constexpr std::array<ModelIdEntry, 3> kModelIds{{
    {0x20, Series::Korva20},
    {0x10, Series::Korva10},
    {0x22, Series::Korva20II},
}};

/// The entry of a model ID; nullopt for a byte no KORVA printer answers.
constexpr std::optional<ModelIdEntry> FindModelId(int id) {
    for (const ModelIdEntry& entry : kModelIds)
        if (entry.id == id) return entry;
    return std::nullopt;
}

/// The series a model ID stands for; None for an ID no KORVA printer answers.
constexpr Series SeriesOfModelId(int id) {
    const std::optional<ModelIdEntry> entry = FindModelId(id);
    return entry ? entry->series : Series::None;
}

/// The beginning of the hardware id of a KORVA USB interface
/// (USB\VID_xxxx&PID_xxxx&REV_xxxx, formed from sysfs).
inline constexpr char kUsbIdKorva20[] = "USB\\VID_7F3D&PID_0101";
inline constexpr char kUsbIdKorva20II[] = "USB\\VID_7F3D&PID_0102";

/// The USB hardware-id prefix of a series; "" for a series without USB.
constexpr std::string_view UsbIdPrefix(Series series) {
    if (series == Series::Korva20) return kUsbIdKorva20;
    if (series == Series::Korva20II) return kUsbIdKorva20II;
    return "";
}

/// The series a USB hardware id belongs to, compared without regard to
/// case; None for another maker's device.
constexpr Series SeriesOfUsbId(std::string_view hardwareId) {
    const auto startsWith = [hardwareId](std::string_view prefix) {
        if (hardwareId.size() < prefix.size()) return false;
        for (size_t i = 0; i < prefix.size(); ++i) {
            char c = hardwareId[i];
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            if (c != prefix[i]) return false;
        }
        return true;
    };
    if (startsWith(kUsbIdKorva20II)) return Series::Korva20II;
    if (startsWith(kUsbIdKorva20)) return Series::Korva20;
    return Series::None;
}

}  // namespace korva::printer

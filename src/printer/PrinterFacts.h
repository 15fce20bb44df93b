#pragma once
// What is true of every KORVA printer whatever the port: the few commands
// every tool sends, and the model IDs a printer answers with.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace korva::printer {

/// GS I 1: the printer sends its model ID, one byte, after everything it
/// read before the request.
inline constexpr std::array<uint8_t, 3> kModelIdRequest{0x1D, 0x49, 0x01};
/// ESC @: initialise the printer.
inline constexpr std::array<uint8_t, 2> kInitialize{0x1B, 0x40};
/// GS a 0: the printer stops sending automatic status blocks.
inline constexpr std::array<uint8_t, 3> kAutomaticStatusOff{0x1D, 0x61, 0x00};

/// Device types (the connection's series), as profiles store them.
enum class Series : int { None = 0, Korva20 = 1, Korva10 = 2, Korva20II = 3 };

struct ModelIdEntry {
    uint8_t id;
    Series series;
    std::string_view name;  ///< the series as users read it
};

/// Every model ID a KORVA printer answers GS I 1 with.
inline constexpr std::array<ModelIdEntry, 3> kModelIds{{
    {0x20, Series::Korva20, "KORVA20"},
    {0x10, Series::Korva10, "KORVA10"},
    {0x22, Series::Korva20II, "KORVA20II"},
}};

/// The entry of a model ID; nullopt for a byte no KORVA printer answers.
constexpr std::optional<ModelIdEntry> FindModelId(uint8_t id) {
    for (const ModelIdEntry& entry : kModelIds)
        if (entry.id == id) return entry;
    return std::nullopt;
}

/// Four bytes a printer with automatic status on sends by itself, between
/// or inside its answers, on any interface:
/// b0 & 0x93 == 0x10, b1 & 0x90 == 0, b2 <= 0x0F, b3 == 0x0F.
constexpr bool IsAutomaticStatusBlock(std::span<const uint8_t> four) {
    return four.size() >= 4 && (four[0] & 0x93) == 0x10 && (four[1] & 0x90) == 0 &&
           four[2] <= 0x0F && four[3] == 0x0F;
}

}  // namespace korva::printer

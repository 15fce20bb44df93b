#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

namespace korva::sim {

/// The printer's user settings, each held as the text the printer answers
/// for it (what follows the 0x1F separator in a reply).
class SettingStore {
  public:
    SettingStore();  ///< factory defaults

    /// The answer text for a setting, or nothing for a number the printer does not know.
    std::optional<std::string> Answer(int number) const;
    const std::map<int, std::string>& All() const { return m_Values; }

    /// Decodes the entries of a set-values command (the bytes after function 05)
    /// and applies them all, or none when any entry is malformed; the error
    /// text then says which entry.
    bool ApplySetValues(std::span<const uint8_t> entries, std::string* error);

    /// NV graphics memory for logos in bytes, from the NV graphic memory setting.
    size_t NvGraphicsBytes() const;

  private:
    std::map<int, std::string> m_Values;
};

}  // namespace korva::sim

#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
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
    /// Makes the printer keep its value of `number` whatever a write says (a
    /// printer that ignores one entry, so a tool's read-back can be tried).
    void KeepFixed(int number) { m_Fixed.insert(number); }
    /// Replaces the answer text of a setting (any text: a test's odd answer).
    void SetAnswer(int number, std::string text) { m_Values[number] = std::move(text); }

    /// Decodes the entries of a set-values command (the bytes after function 05)
    /// and applies them all, or none when any entry is malformed; the error
    /// text then says which entry.
    bool ApplySetValues(std::span<const uint8_t> entries, std::string* error);

    /// NV graphics memory for logos in bytes, from the NV graphic memory
    /// setting; an answer that is no size ("0", "x") holds none.
    size_t NvGraphicsBytes() const;

  private:
    std::map<int, std::string> m_Values;
    std::set<int> m_Fixed;
};

}  // namespace korva::sim

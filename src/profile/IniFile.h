#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korva::profile {

/// Windows INI text held in memory: sections of key=value lines, matched
/// without regard to ASCII case, values kept byte for byte ('|' and ','
/// included; only the blanks around them are dropped, as Windows does).
///
/// Reading never fails: lines that cannot be read are skipped and counted.
/// Comment lines (';' or '#') are kept so a save does not lose them.
class IniFile {
public:
    /// Longest line read: a name or setting is a few words, and a longer
    /// value (a megabyte "model name") would only swell the windows showing it.
    static constexpr size_t kMaxLineBytes = 4096;

    struct Line {
        bool comment = false;  ///< a comment line: `key` holds the whole text
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;  ///< "" for lines before the first section header
        std::vector<Line> lines;
    };

    /// Parses INI text: CRLF, LF or CR line ends, a UTF-8 or UTF-16LE byte
    /// order mark tolerated; lines over kMaxLineBytes are skipped. A repeated section is merged into the first one;
    /// a repeated key keeps its first value for lookups, as on Windows.
    static IniFile Parse(std::string_view text);

    /// The text of the whole file with CRLF line ends, a blank line between sections.
    std::string Serialize() const;

    /// The value of a key, or nullptr when the section or key does not exist.
    const std::string* Find(std::string_view section, std::string_view key) const;

    /// Sets or adds a key. Refuses (false) names and values the file could
    /// not read back: line breaks or NUL anywhere, ']' in a section name,
    /// '=' in a key, keys that would read as a comment or a header, blanks
    /// at either end of a name, and lines longer than kMaxLineBytes.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    /// Removes every occurrence of the key; false when there was none.
    bool Remove(std::string_view section, std::string_view key);

    /// Keys of a section in file order (first occurrences only).
    std::vector<std::string> Keys(std::string_view section) const;

    const std::vector<Section>& Sections() const { return m_Sections; }
    size_t SkippedLines() const { return m_Skipped; }

    /// ASCII-only case-insensitive equality, the matching rule of the file.
    static bool SameName(std::string_view a, std::string_view b);

private:
    Section* FindSection(std::string_view name);
    const Section* FindSection(std::string_view name) const;
    Section& SectionFor(std::string_view name);

    std::vector<Section> m_Sections;
    size_t m_Skipped = 0;
};

}  // namespace korva::profile

#include "profile/IniFile.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace korva::profile {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Windows can keep a profile as UTF-16LE; we keep ours as UTF-8. Unpaired
// surrogates become U+FFFD and a dangling odd byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8;
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size()) {
            const uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                cp = 0xFFFD;
            }
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool HasOuterBlank(std::string_view text) {
    return !text.empty() && (IsBlank(text.front()) || IsBlank(text.back()));
}

}  // namespace

bool IniFile::SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

IniFile IniFile::Parse(std::string_view text) {
    std::string converted;
    if (text.starts_with(kUtf16LeBom)) {
        converted = Utf16LeToUtf8(text.substr(kUtf16LeBom.size()));
        text = converted;
    } else if (text.starts_with(kUtf8Bom)) {
        text.remove_prefix(kUtf8Bom.size());
    }

    IniFile ini;
    Section* current = &ini.SectionFor("");
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        const std::string_view line = Trim(raw);
        if (line.empty()) continue;
        if (line.size() > kMaxLineBytes || line.find('\0') != std::string_view::npos) {
            ++ini.m_Skipped;
        } else if (line.front() == ';' || line.front() == '#') {
            current->lines.push_back({true, std::string(line), {}});
        } else if (line.front() == '[') {
            const size_t close = line.find(']');
            const std::string_view name =
                close == std::string_view::npos ? std::string_view() : Trim(line.substr(1, close - 1));
            if (name.empty()) {
                ++ini.m_Skipped;
                continue;
            }
            // Pointers into m_Sections move when it grows, so look up again.
            ini.SectionFor(name);
            current = ini.FindSection(name);
        } else {
            const size_t eq = line.find('=');
            const std::string_view key =
                eq == std::string_view::npos ? std::string_view() : Trim(line.substr(0, eq));
            if (key.empty()) {
                ++ini.m_Skipped;
                continue;
            }
            current->lines.push_back({false, std::string(key), std::string(Trim(line.substr(eq + 1)))});
        }
    }
    return ini;
}

std::string IniFile::Serialize() const {
    std::string out;
    for (const Section& section : m_Sections) {
        if (section.name.empty() && section.lines.empty()) continue;
        if (!out.empty()) out += "\r\n";
        if (!section.name.empty()) out += "[" + section.name + "]\r\n";
        for (const Line& line : section.lines) {
            out += line.comment ? line.key : line.key + "=" + line.value;
            out += "\r\n";
        }
    }
    // A first key that itself begins with byte-order-mark bytes would lose
    // them on the next read; a mark of our own keeps them.
    if (out.starts_with(kUtf8Bom) || out.starts_with(kUtf16LeBom)) out.insert(0, kUtf8Bom);
    return out;
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
    for (const Section& section : m_Sections)
        if (SameName(section.name, name)) return &section;
    return nullptr;
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

IniFile::Section& IniFile::SectionFor(std::string_view name) {
    if (Section* found = FindSection(name)) return *found;
    m_Sections.push_back({std::string(name), {}});
    return m_Sections.back();
}

const std::string* IniFile::Find(std::string_view section, std::string_view key) const {
    const Section* found = FindSection(section);
    if (found == nullptr) return nullptr;
    for (const Line& line : found->lines)
        if (!line.comment && SameName(line.key, key)) return &line.value;
    return nullptr;
}

bool IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    const bool sectionOk = !section.empty() && !HasLineBreakOrNul(section) && !HasOuterBlank(section) &&
                           section.find(']') == std::string_view::npos;
    const bool keyOk = !key.empty() && !HasLineBreakOrNul(key) && !HasOuterBlank(key) &&
                       key.find('=') == std::string_view::npos && key.front() != '[' &&
                       key.front() != ';' && key.front() != '#';
    const bool valueOk = !HasLineBreakOrNul(value) && !HasOuterBlank(value);
    const bool fits = section.size() + 2 <= kMaxLineBytes && key.size() + value.size() + 1 <= kMaxLineBytes;
    if (!sectionOk || !keyOk || !valueOk || !fits) return false;

    Section& target = SectionFor(section);
    for (Line& line : target.lines) {
        if (!line.comment && SameName(line.key, key)) {
            line.value = std::string(value);
            return true;
        }
    }
    target.lines.push_back({false, std::string(key), std::string(value)});
    return true;
}

bool IniFile::Remove(std::string_view section, std::string_view key) {
    Section* found = FindSection(section);
    if (found == nullptr) return false;
    const size_t before = found->lines.size();
    std::erase_if(found->lines, [&](const Line& line) { return !line.comment && SameName(line.key, key); });
    return found->lines.size() != before;
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    const Section* found = FindSection(section);
    if (found == nullptr) return keys;
    for (const Line& line : found->lines) {
        if (line.comment) continue;
        const bool seen = std::any_of(keys.begin(), keys.end(),
                                      [&](const std::string& k) { return SameName(k, line.key); });
        if (!seen) keys.push_back(line.key);
    }
    return keys;
}

}  // namespace korva::profile

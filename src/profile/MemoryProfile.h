#pragma once
#include <string>

#include "profile/IniFile.h"
#include "base/Profile.h"

namespace korva::profile {

/// A profile that lives in memory only, with the file's matching rules;
/// for tests and for a run whose profile must not touch the disk.
class MemoryProfile final : public base::Profile {
public:
    MemoryProfile() = default;
    /// Starts from INI text, as if that file had been read.
    explicit MemoryProfile(std::string_view iniText) : m_Ini(IniFile::Parse(iniText)) {}

    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback = "") const override {
        const std::string* value = m_Ini.Find(section, key);
        return value ? *value : fallback;
    }
    bool WriteString(const std::string& section, const std::string& key, const std::string& value) override {
        if (m_FailWrites) return false;
        return m_Ini.Set(section, key, value);
    }
    bool DeleteKey(const std::string& section, const std::string& key) override {
        if (m_FailWrites) return false;
        m_Ini.Remove(section, key);
        return true;
    }

    /// Makes every change fail, as a full disk would.
    void SetFailWrites(bool fail) { m_FailWrites = fail; }
    /// What the file would hold.
    std::string Text() const { return m_Ini.Serialize(); }
    const IniFile& Ini() const { return m_Ini; }

private:
    IniFile m_Ini;
    bool m_FailWrites = false;
};

}  // namespace korva::profile

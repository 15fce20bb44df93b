#pragma once
#include <mutex>
#include <string>
#include <string_view>

#include "app/IniFile.h"
#include "base/Profile.h"

namespace korva::app {

/// The profile file: Windows INI text read once at construction and written
/// back whole, atomically (temporary file in the same folder, then rename),
/// after every change.
class IniProfile final : public base::Profile {
public:
    /// Reads `path` if it exists. A file that exists but cannot be read (or is
    /// unreasonably large) is never overwritten: every save then fails.
    explicit IniProfile(std::string path);

    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback = "") const override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool DeleteKey(const std::string& section, const std::string& key) override;

    const std::string& Path() const { return m_Path; }
    /// Lines of the file that could not be read and were skipped.
    size_t SkippedLines() const;

private:
    bool Save();

    mutable std::mutex m_Mutex;
    std::string m_Path;
    IniFile m_Ini;
    bool m_Writable = true;
};

/// "<program name>.INI": the profile's file name.
std::string ProfileFileName(std::string_view programName);

/// The profile's path: the file name in the current working directory (the
/// bare name when the working directory cannot be read).
std::string DefaultProfilePath(std::string_view programName);

/// Replaces `path` with `bytes` atomically: a temporary file beside it is
/// written, flushed and renamed over it. On failure the old file is untouched
/// and no temporary file is left. Keeps the old file's permissions.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace korva::app

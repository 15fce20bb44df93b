#pragma once
#include <mutex>
#include <string>
#include <string_view>

#include "profile/IniFile.h"
#include "base/Profile.h"

namespace korva::profile {

/// The profile file: Windows INI text read once at construction and written
/// back whole, atomically (temporary file in the same folder, then rename),
/// after every change.
class IniProfile final : public base::Profile {
public:
    /// Reads `path` if it exists. A file that exists but cannot be read, is
    /// unreasonably large, or is not a regular file (a symbolic link, a FIFO)
    /// is never read nor overwritten: the profile starts empty and every save
    /// fails. The folder is made at the first save when it is missing.
    explicit IniProfile(std::string path);

    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback = "") const override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool DeleteKey(const std::string& section, const std::string& key) override;

    const std::string& Path() const { return m_Path; }
    /// Lines of the file that could not be read and were skipped.
    size_t SkippedLines() const;
    /// Why an existing file was refused ("is a symbolic link" ...), or "".
    const std::string& Problem() const { return m_Problem; }

private:
    bool Save();

    mutable std::mutex m_Mutex;
    std::string m_Path;
    IniFile m_Ini;
    bool m_Writable = true;
    std::string m_Problem;
};

/// "<program name>.INI": the profile's file name.
std::string ProfileFileName(std::string_view programName);

/// The program's profile: "<program name>.INI" in the working directory when
/// one is there, else in the user's configuration folder (FileLocations.h).
std::string DefaultProfilePath(std::string_view programName);

/// Replaces `path` with `bytes` atomically: a temporary file beside it is
/// written, flushed and renamed over it. On failure the old file is untouched
/// and no temporary file is left. Keeps the old file's permissions.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace korva::profile

#include "profile/IniProfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "profile/FileLocations.h"
#include "base/RegularFile.h"

namespace korva::profile {
namespace {

// A profile holds a few dozen short lines; anything far bigger is not ours.
constexpr size_t kMaxProfileBytes = 16u * 1024u * 1024u;

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;

    mode_t mode = 0644;
    struct stat old {};
    if (::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) mode = old.st_mode & 07777;

    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

std::string ProfileFileName(std::string_view programName) { return std::string(programName) + ".INI"; }

std::string DefaultProfilePath(std::string_view programName) {
    return ProgramFileLocations(programName).profilePath;
}

IniProfile::IniProfile(std::string path) : m_Path(std::move(path)) {
    const base::RegularFileResult file = base::OpenRegularFile(m_Path, O_RDONLY);
    if (!file.ok()) {
        // Missing: the built-in defaults, and the first save makes the file.
        // Anything else (a link, a FIFO, unreadable) is left alone for good.
        m_Writable = file.error == ENOENT;
        m_Problem = file.problem.empty() && !m_Writable ? std::strerror(file.error) : file.problem;
        return;
    }
    std::string text;
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(file.fd, buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || text.size() + static_cast<size_t>(n) > kMaxProfileBytes) {
            m_Writable = false;
            m_Problem = n < 0 ? std::strerror(errno) : "is too large for a profile";
            break;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(file.fd);
    if (m_Writable) m_Ini = IniFile::Parse(text);
}

std::string IniProfile::GetString(const std::string& section, const std::string& key,
                                  const std::string& fallback) const {
    std::lock_guard lock(m_Mutex);
    const std::string* value = m_Ini.Find(section, key);
    return value ? *value : fallback;
}

bool IniProfile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    std::lock_guard lock(m_Mutex);
    return m_Ini.Set(section, key, value) && Save();
}

bool IniProfile::DeleteKey(const std::string& section, const std::string& key) {
    std::lock_guard lock(m_Mutex);
    if (!m_Ini.Remove(section, key)) return m_Ini.Find(section, key) == nullptr;
    return Save();
}

size_t IniProfile::SkippedLines() const {
    std::lock_guard lock(m_Mutex);
    return m_Ini.SkippedLines();
}

bool IniProfile::Save() {
    return m_Writable && MakeFolderFor(m_Path) && WriteFileAtomically(m_Path, m_Ini.Serialize());
}

}  // namespace korva::profile

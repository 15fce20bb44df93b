#include "app/IniProfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace korva::app {
namespace {

// A profile holds a few dozen short lines; anything far bigger is not ours.
constexpr std::uintmax_t kMaxProfileBytes = 16u * 1024u * 1024u;

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
    if (::stat(path.c_str(), &old) == 0) mode = old.st_mode & 07777;

    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

std::string ProfileFileName(std::string_view programName) { return std::string(programName) + ".INI"; }

std::string DefaultProfilePath(std::string_view programName) {
    std::error_code error;
    const std::filesystem::path cwd = std::filesystem::current_path(error);
    if (error) return ProfileFileName(programName);
    return (cwd / ProfileFileName(programName)).string();
}

IniProfile::IniProfile(std::string path) : m_Path(std::move(path)) {
    std::error_code error;
    if (!std::filesystem::exists(m_Path, error)) {
        m_Writable = !error;
        return;
    }
    const std::uintmax_t size = std::filesystem::file_size(m_Path, error);
    std::ifstream in(m_Path, std::ios::binary);
    if (error || size > kMaxProfileBytes || !in) {
        m_Writable = false;
        return;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    m_Writable = !in.bad();
    m_Ini = IniFile::Parse(text);
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

bool IniProfile::Save() { return m_Writable && WriteFileAtomically(m_Path, m_Ini.Serialize()); }

}  // namespace korva::app

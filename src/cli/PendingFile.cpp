#include "cli/PendingFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/Output.h"
#include "cli/RunReason.h"

namespace korva::cli {

PendingFile::PendingFile(std::string path) : m_Path(std::move(path)) {
    if (m_Path == "-") {
        m_WritePath = "/dev/stdout";
        return;
    }
    struct stat info {};
    const bool special = ::stat(m_Path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
    if (special) {
        m_WritePath = m_Path;
        return;
    }
    m_WritePath = m_Path + ".korva-" + std::to_string(::getpid()) + ".part";
    m_Temporary = true;
}

PendingFile::~PendingFile() {
    if (m_Temporary) ::unlink(m_WritePath.c_str());
}

bool PendingFile::Commit(std::string& error) {
    if (!m_Temporary) return true;
    if (::rename(m_WritePath.c_str(), m_Path.c_str()) != 0) {
        error = std::strerror(errno);
        return false;
    }
    m_Temporary = false;
    return true;
}

void FileWriteError(const std::string& path, const std::string& why) {
    SetReason(base::Reason::FileIo, Subject::File, path);
    Error("cannot write file " + path + (why.empty() ? "" : ": " + why));
}

}  // namespace korva::cli

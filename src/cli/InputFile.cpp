#include "cli/InputFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cli/Output.h"
#include "cli/RunReason.h"
#include "cli/Signals.h"

namespace korva::cli {

namespace {

bool ReadAll(int fd, std::vector<uint8_t>& bytes, int& error) {
    uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
}

void ReadError(const std::string& name, const std::string& why) {
    SetReason(base::Reason::FileIo, Subject::File, name);
    Error("cannot read file " + name + ": " + why);
}

}  // namespace

InputFile::~InputFile() {
    if (m_Copy >= 0) ::close(m_Copy);
}

InputFile::InputFile(InputFile&& other) noexcept
    : m_Name(std::move(other.m_Name)), m_Bytes(std::move(other.m_Bytes)), m_Copy(other.m_Copy) {
    other.m_Copy = -1;
}

bool InputFile::Read(const std::string& path) {
    m_Name = path == "-" ? "standard input" : path;
    // Nothing has gone to the printer yet: a signal may end korva here, also
    // while the open of a FIFO waits for its writer.
    StopScope stop(StopMode::AtOnce, "interrupted while reading " + m_Name + "; nothing was sent");
    int fd = STDIN_FILENO;
    if (path != "-") {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            ReadError(m_Name, std::strerror(errno));
            return false;
        }
    }
    struct stat info {};
    int error = 0;
    bool ok = true;
    if (::fstat(fd, &info) != 0) info.st_mode = 0;
    if (S_ISDIR(info.st_mode)) {
        ok = false;
        error = EISDIR;
    } else {
        ok = ReadAll(fd, m_Bytes, error);
    }
    // A regular file stays open: the path handed on reopens this very file.
    if (ok && fd != STDIN_FILENO && S_ISREG(info.st_mode) && ::lseek(fd, 0, SEEK_SET) == 0)
        m_Copy = fd;
    else if (fd != STDIN_FILENO)
        ::close(fd);
    if (!ok) ReadError(m_Name, std::strerror(error));
    return ok;
}

std::string InputFile::Path() {
    if (m_Copy < 0) {
        const int fd = ::memfd_create("korva-input", MFD_CLOEXEC);
        size_t done = 0;
        while (fd >= 0 && done < m_Bytes.size()) {
            const ssize_t n = ::write(fd, m_Bytes.data() + done, m_Bytes.size() - done);
            if (n <= 0 && errno != EINTR) break;
            if (n > 0) done += static_cast<size_t>(n);
        }
        if (fd < 0 || done != m_Bytes.size()) {
            if (fd >= 0) ::close(fd);
            ReadError(m_Name, "no memory for a copy");
            return {};
        }
        m_Copy = fd;
    }
    return "/proc/self/fd/" + std::to_string(m_Copy);
}

}  // namespace korva::cli

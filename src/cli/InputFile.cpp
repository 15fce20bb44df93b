#include "cli/InputFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "cli/Output.h"
#include "cli/RunReason.h"
#include "cli/Signals.h"

namespace korva::cli {

namespace {

void ReadError(const std::string& name, const std::string& why) {
    SetReason(base::Reason::FileIo, Subject::File, name);
    Error("cannot read file " + name + ": " + why);
}

void TooLarge(const std::string& name, const InputKind& kind, std::optional<uint64_t> size) {
    SetReason(base::Reason::TooLarge, Subject::File, name);
    const std::string limit = std::to_string(kind.maxBytes) + " bytes " + kind.what + " can have";
    Error(size ? name + ": " + std::to_string(*size) + " bytes, more than the " + limit
               : name + ": more than the " + limit);
}

/// One read, restarted when a signal only interrupted it.
ssize_t ReadSome(int fd, uint8_t* into, size_t count) {
    for (;;) {
        const ssize_t n = ::read(fd, into, count);
        if (n >= 0 || errno != EINTR) return n;
    }
}

}  // namespace

InputFile::~InputFile() { Close(); }

InputFile::InputFile(InputFile&& other) noexcept
    : m_Name(std::move(other.m_Name)),
      m_Bytes(std::move(other.m_Bytes)),
      m_Fd(other.m_Fd),
      m_Copy(other.m_Copy),
      m_Size(other.m_Size),
      m_Regular(other.m_Regular) {
    other.m_Fd = -1;
    other.m_Copy = -1;
}

void InputFile::Close() {
    if (m_Fd > STDIN_FILENO && m_Fd != m_Copy) ::close(m_Fd);
    if (m_Copy >= 0) ::close(m_Copy);
    m_Fd = -1;
    m_Copy = -1;
}

bool InputFile::Open(const std::string& path) {
    m_Name = path == "-" ? "standard input" : ShortQuote(path);
    int fd = STDIN_FILENO;
    if (path != "-") {
        // Nothing has gone to the printer yet: a signal may end korva here,
        // also while the open of a FIFO waits for its writer.
        StopScope stop(StopMode::AtOnce, "interrupted while reading " + m_Name + "; nothing was sent");
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            ReadError(m_Name, std::strerror(errno));
            return false;
        }
    }
    m_Fd = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0) info.st_mode = 0;
    if (S_ISDIR(info.st_mode)) {
        ReadError(m_Name, std::strerror(EISDIR));
        return false;
    }
    m_Regular = S_ISREG(info.st_mode);
    if (m_Regular) m_Size = static_cast<uint64_t>(info.st_size);
    return true;
}

bool InputFile::ReadBounded(const InputKind& kind) {
    if (m_Size && *m_Size > kind.maxBytes) {
        TooLarge(m_Name, kind, m_Size);
        return false;
    }
    StopScope stop(StopMode::AtOnce, "interrupted while reading " + m_Name + "; nothing was sent");
    // A regular file's size is known: one buffer of that size, filled without
    // clearing it first. A stream grows in pieces, at most one past the limit.
    m_Bytes.reserve(m_Size ? static_cast<size_t>(*m_Size) : kInputHeadBytes);
    uint8_t piece[65536];
    bool headChecked = !kind.checkHead;
    for (;;) {
        const size_t room = static_cast<size_t>(std::min<uint64_t>(sizeof piece, kind.maxBytes + 1 - m_Bytes.size()));
        const ssize_t n = ReadSome(m_Fd, piece, room);
        if (n < 0) {
            ReadError(m_Name, std::strerror(errno));
            return false;
        }
        m_Bytes.insert(m_Bytes.end(), piece, piece + n);
        if (m_Bytes.size() > kind.maxBytes) {
            TooLarge(m_Name, kind, std::nullopt);
            return false;
        }
        if (!headChecked && (n == 0 || m_Bytes.size() >= kInputHeadBytes)) {
            headChecked = true;
            if (const std::string why = kind.checkHead(m_Bytes); !why.empty()) {
                SetReason(base::Reason::BadInput, Subject::File, m_Name);
                Error(m_Name + ": " + why);
                return false;
            }
        }
        if (n == 0) return true;
    }
}

bool InputFile::Read(const std::string& path, const InputKind& kind) {
    if (!Open(path) || !ReadBounded(kind)) return false;
    // A regular file stays open: the path handed on reopens this very file.
    if (m_Regular && m_Fd != STDIN_FILENO && ::lseek(m_Fd, 0, SEEK_SET) == 0) m_Copy = m_Fd;
    else if (m_Fd != STDIN_FILENO) ::close(m_Fd);
    m_Fd = -1;
    return true;
}

bool InputFile::OpenStream(const std::string& path) {
    if (!Open(path)) return false;
    struct stat info {};
    if (::fstat(m_Fd, &info) == 0 && (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))) {
        ReadError(m_Name, "a device, not a file (it need never end)");
        return false;
    }
    return true;
}

std::optional<size_t> InputFile::ReadPiece(std::span<uint8_t> buffer) {
    const ssize_t n = ReadSome(m_Fd, buffer.data(), buffer.size());
    if (n >= 0) return static_cast<size_t>(n);
    ReadError(m_Name, std::strerror(errno));
    return std::nullopt;
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

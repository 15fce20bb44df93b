#include "firmware/ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace korva::firmware {

namespace {

/// A regular file only: a directory or a device is no image.
int openRegular(const std::string& path, uint64_t& size) {
    if (path.empty()) return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    size = static_cast<uint64_t>(info.st_size);
    return fd;
}

}  // namespace

bool ImageFileSize(const std::string& path, uint64_t& size) {
    const int fd = openRegular(path, size);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

ImageFile ReadImageFile(const std::string& path, uint64_t limit, bool whole) {
    ImageFile file;
    const int fd = openRegular(path, file.size);
    if (fd < 0) return file;
    if (whole && file.size > limit) {
        ::close(fd);
        file.status = ImageFile::Status::TooLarge;
        return file;
    }
    const uint64_t want = file.size < limit ? file.size : limit;
    try {
        file.bytes.resize(static_cast<size_t>(want));
    } catch (const std::bad_alloc&) {
        ::close(fd);
        file.status = ImageFile::Status::OutOfMemory;
        return file;
    }
    size_t done = 0;
    while (done < want) {
        const ssize_t n = ::read(fd, file.bytes.data() + done, want - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    file.bytes.resize(done);
    file.status = done == want ? ImageFile::Status::Ok : ImageFile::Status::ShortRead;
    return file;
}

}  // namespace korva::firmware

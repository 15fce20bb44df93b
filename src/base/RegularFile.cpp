#include "base/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace korva::base {
namespace {

RegularFileResult Refused(int error, const char* problem) { return {-1, error, problem}; }


}  // namespace

RegularFileResult OpenRegularFile(const std::string& path, int flags) {
    // The look first spares a device node the side effects of an open; the
    // flags of the open and the check after it are what keep the file safe.
    struct stat seen {};
    if (::lstat(path.c_str(), &seen) == 0 && !S_ISREG(seen.st_mode))
        return S_ISLNK(seen.st_mode) ? Refused(ELOOP, "is a symbolic link")
                                     : Refused(EINVAL, "is not a regular file");

    const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        if (error == ELOOP) return Refused(error, "is a symbolic link");
        // A FIFO without a reader refuses a non-blocking writer.
        if (error == ENXIO) return Refused(error, "is not a regular file");
        return Refused(error, "");
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return Refused(EINVAL, "is not a regular file");
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return {fd, 0, ""};
}

}  // namespace korva::base

#pragma once
#include <string>

namespace korva::base {

/// An opened profile or log file, or why it was refused.
struct RegularFileResult {
    int fd = -1;            ///< -1 when refused or missing
    int error = 0;          ///< errno of the failure (ENOENT: no such file)
    std::string problem;    ///< "is a symbolic link", "is not a regular file", or ""
    bool ok() const { return fd >= 0; }
};

/// Opens `path` as the profile and the error log are opened: never through a
/// symbolic link and never waiting on a FIFO or a device (O_NOFOLLOW,
/// O_NONBLOCK; regular files only). `flags` are the access flags (O_RDONLY,
/// O_WRONLY | O_CREAT ...). The descriptor returned blocks as usual and is
/// closed on exec.
RegularFileResult OpenRegularFile(const std::string& path, int flags);

}  // namespace korva::base

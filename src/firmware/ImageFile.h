#pragma once
// Reading firmware image files from disk for the download engines.
#include <cstdint>
#include <string>
#include <vector>

namespace korva::firmware {

struct ImageFile {
    enum class Status {
        Ok,
        OpenFailed,   ///< missing, unreadable, or a directory
        TooLarge,     ///< larger than the caller's limit (nothing read)
        ShortRead,    ///< fewer bytes came than the size said
        OutOfMemory,  ///< the buffer could not be had
    };
    Status status = Status::OpenFailed;
    uint64_t size = 0;           ///< the file's size on disk
    std::vector<uint8_t> bytes;  ///< what was read
};

/// The file's size without reading it; false when it cannot be opened.
bool ImageFileSize(const std::string& path, uint64_t& size);

/// Reads the first `limit` bytes (all of a shorter file). With `whole`, a file
/// longer than `limit` is TooLarge instead.
ImageFile ReadImageFile(const std::string& path, uint64_t limit, bool whole);

}  // namespace korva::firmware

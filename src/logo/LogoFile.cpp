#include "logo/LogoFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/ErrorLog.h"
#include "logo/ImageDecode.h"
#include "logo/PictureIntegrity.h"

namespace korva::logo {

namespace {

BitmapError ReadFailure(const char* doing, const std::string& path, int error) {
    return {BitmapErrorKind::FileUnreadable, std::string(doing) + " " + path + ": " + std::strerror(error)};
}

std::string Suffix(const std::string& path) {
    const size_t dot = path.find_last_of("./");
    return dot == std::string::npos || path[dot] != '.' ? std::string() : path.substr(dot + 1);
}

BitmapError TooLargeFile(const std::string& path) {
    return {BitmapErrorKind::TooLarge, path + " is larger than the " + std::to_string(kMaxBitmapFileBytes) +
                                           " bytes a logo picture can have"};
}

}  // namespace

bool ReadBitmapFile(const std::string& path, std::vector<uint8_t>& bytes, BitmapError& error) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = ReadFailure("cannot open", path, errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) info.st_mode = 0;
    // The size first: a folder or a file beyond any picture is refused unread.
    if (S_ISDIR(info.st_mode) || (S_ISREG(info.st_mode) && static_cast<uint64_t>(info.st_size) > kMaxBitmapFileBytes)) {
        ::close(fd);
        error = S_ISDIR(info.st_mode) ? ReadFailure("cannot read", path, EISDIR) : TooLargeFile(path);
        return false;
    }
    // Read in pieces into room reserved once: no cleared buffer to fill again.
    if (S_ISREG(info.st_mode)) bytes.reserve(static_cast<size_t>(info.st_size));
    uint8_t piece[65536];
    for (;;) {
        const size_t room = std::min<uint64_t>(sizeof piece, kMaxBitmapFileBytes + 1 - bytes.size());
        const ssize_t n = ::read(fd, piece, room);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = ReadFailure("cannot read", path, errno);
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        const bool headDone = bytes.size() < kPictureHeadBytes;
        bytes.insert(bytes.end(), piece, piece + n);
        // Endless or huge bytes that start like no picture are not read on.
        if (headDone && bytes.size() >= kPictureHeadBytes) {
            if (std::string why = NotAPicture(bytes, Suffix(path)); !why.empty()) {
                ::close(fd);
                error = {BitmapErrorKind::NotBitmap, std::move(why)};
                return false;
            }
        }
        if (bytes.size() > kMaxBitmapFileBytes) {
            ::close(fd);
            error = TooLargeFile(path);
            return false;
        }
    }
    ::close(fd);
    error = {};
    return true;
}

namespace {
bool IsBmp(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

}  // namespace

std::string NotAPicture(std::span<const uint8_t> head, std::string_view formatHint) {
    if (head.size() >= 2 && head[0] == 'B' && head[1] == 'M') return {};
    const ImageHeader header = ReadImageHeader(head, formatHint);
    const BitmapErrorKind kind = header.error.kind;
    if (kind == BitmapErrorKind::NotBitmap || kind == BitmapErrorKind::BadDimensions ||
        (kind == BitmapErrorKind::Truncated && head.empty()))
        return header.error.reason;
    return {};
}

BitmapDecodeResult DecodeLogoBytes(std::vector<uint8_t>&& bytes, std::string_view formatHint) {
    if (IsBmp(bytes)) return DecodeBitmap(std::move(bytes));
    return DecodeImageFile(bytes, formatHint);
}

std::string DescribeRefusal(const std::string& name, const BitmapError& error) {
    const std::string reason = DescribeBitmapError(error);
    switch (error.kind) {
        case BitmapErrorKind::FileUnreadable: return reason;  // names the file itself
        case BitmapErrorKind::None:
        case BitmapErrorKind::NotBitmap:
        case BitmapErrorKind::TooLarge:
        case BitmapErrorKind::Damaged: return name + ": " + reason;
        case BitmapErrorKind::Truncated:
            if (reason == kEndsEarlyReason || reason == "the file is empty") return name + ": " + reason;
            break;
        default: break;
    }
    return name + ": not a usable bitmap: " + reason;
}

base::Reason RefusalReason(const BitmapError& error) {
    if (error.kind == BitmapErrorKind::TooLarge) return base::Reason::TooLarge;
    if (error.kind == BitmapErrorKind::FileUnreadable) return base::Reason::FileIo;
    return base::Reason::BadInput;
}

void LogDecoderWords(const std::string& path, const BitmapDecodeResult& result) {
    if (result.decoderWords.empty()) return;
    base::ErrorLog().Log("%s: the picture's decoder says: %s", path.c_str(), result.decoderWords.c_str());
}

bool LoadLogoFile(CLogoBitmap& bitmap, const std::string& path, BitmapError& error) {
    std::vector<uint8_t> bytes;
    if (!ReadBitmapFile(path, bytes, error)) {
        bitmap.Unload(error);  // drops any previous image
        return false;
    }
    BitmapDecodeResult decoded = DecodeLogoBytes(std::move(bytes), Suffix(path));
    LogDecoderWords(path, decoded);
    if (bitmap.LoadDecoded(std::move(decoded))) return true;
    error = bitmap.LastError();
    return false;
}

BitmapDecodeResult ProbeLogoBytes(std::vector<uint8_t>&& bytes, std::string_view formatHint,
                                  const ImageSizeCheck& check) {
    BitmapDecodeResult result;
    // A bitmap's pixels are the file's bytes, already in memory; a picture may
    // unpack to far more, so its header size is checked first.
    if (check && !IsBmp(bytes)) {
        const ImageHeader header = ReadImageHeader(bytes, formatHint);
        if (!header.ok()) {
            result.error = header.error;
            return result;
        }
        std::string why = header.width > 0 ? check(header.width, header.height) : std::string();
        if (!why.empty()) {
            result.error = {BitmapErrorKind::TooLarge, std::move(why)};
            result.bitmap.width = header.width;
            result.bitmap.height = header.height;
            return result;
        }
    }
    return DecodeLogoBytes(std::move(bytes), formatHint);
}

BitmapDecodeResult ProbeLogoFile(const std::string& path, const ImageSizeCheck& check) {
    std::vector<uint8_t> bytes;
    BitmapDecodeResult result;
    if (!ReadBitmapFile(path, bytes, result.error)) return result;
    result = ProbeLogoBytes(std::move(bytes), Suffix(path), check);
    LogDecoderWords(path, result);
    return result;
}

}  // namespace korva::logo

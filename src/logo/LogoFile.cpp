#include "logo/LogoFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/ErrorLog.h"
#include "logo/ImageDecode.h"
#include "logo/PictureIntegrity.h"

namespace korva::logo {

bool ReadBitmapFile(const std::string& path, std::vector<uint8_t>& bytes, BitmapError& error) {
    bytes.clear();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        error = {BitmapErrorKind::FileUnreadable,
                 "cannot open " + path + ": " + std::strerror(errno)};
        return false;
    }
    // One read of the whole file when its size is known; chunks otherwise (a pipe).
    long size = -1;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) size = std::ftell(file.get());
    if (size >= 0 && std::fseek(file.get(), 0, SEEK_SET) == 0) {
        if (static_cast<uint64_t>(size) > kMaxBitmapFileBytes) {
            error = {BitmapErrorKind::TooLarge, path + " is too large for a logo bitmap"};
            return false;
        }
        bytes.resize(static_cast<size_t>(size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    } else {
        std::clearerr(file.get());
        uint8_t chunk[65536];
        while (true) {
            const size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
            bytes.insert(bytes.end(), chunk, chunk + n);
            if (bytes.size() > kMaxBitmapFileBytes) {
                error = {BitmapErrorKind::TooLarge, path + " is too large for a logo bitmap"};
                return false;
            }
            if (n < sizeof chunk) break;
        }
    }
    if (std::ferror(file.get())) {
        error = {BitmapErrorKind::FileUnreadable,
                 "cannot read " + path + ": " + std::strerror(errno)};
        return false;
    }
    error = {};
    return true;
}

namespace {
bool IsBmp(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

std::string Suffix(const std::string& path) {
    const size_t dot = path.find_last_of("./");
    return dot == std::string::npos || path[dot] != '.' ? std::string() : path.substr(dot + 1);
}
}  // namespace

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

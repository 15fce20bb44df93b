#include "logo/LogoFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "logo/ImageDecode.h"

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

BitmapDecodeResult DecodeLogoBytes(std::vector<uint8_t>&& bytes) {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return DecodeBitmap(std::move(bytes));
    return DecodeImageFile(bytes);
}

bool LoadLogoFile(CLogoBitmap& bitmap, const std::string& path, BitmapError& error) {
    std::vector<uint8_t> bytes;
    if (!ReadBitmapFile(path, bytes, error)) {
        bitmap.Unload(error);  // drops any previous image
        return false;
    }
    if (bitmap.LoadDecoded(DecodeLogoBytes(std::move(bytes)))) return true;
    error = bitmap.LastError();
    return false;
}

BitmapDecodeResult ProbeLogoFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    BitmapDecodeResult result;
    if (!ReadBitmapFile(path, bytes, result.error)) return result;
    return DecodeLogoBytes(std::move(bytes));
}

}  // namespace korva::logo

#pragma once
// Firmware image files for the tests: patterned bytes, so a packet taken from
// the wrong offset differs, with the signature and markers put in by hand.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace korva::test {

/// Every byte differs from its neighbours and repeats only every 251 bytes.
inline std::vector<uint8_t> PatternImage(size_t size, uint8_t seed = 0) {
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>((i * 7 + seed) % 251);
    return image;
}

/// A newer-series image: `size` bytes, "K2x" at 0x0FFFFC, the extended-font
/// marker at 0x0FFFFF ('1' = none).
inline std::vector<uint8_t> NewSeriesImage(const char* signature, size_t size = 0x100000,
                                           char extFontMarker = '0') {
    std::vector<uint8_t> image = PatternImage(size);
    for (size_t i = 0; i < 3 && 0x0FFFFC + i < size; ++i)
        image[0x0FFFFC + i] = static_cast<uint8_t>(signature[i]);
    if (size > 0x0FFFFF) image[0x0FFFFF] = static_cast<uint8_t>(extFontMarker);
    return image;
}

inline bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

/// FNV-1a over the bytes, as the simulator records the data it accepted.
inline uint32_t Fnv1a(const uint8_t* data, size_t size) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    return hash;
}

}  // namespace korva::test

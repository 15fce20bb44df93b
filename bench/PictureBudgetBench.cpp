// How fast and in how little memory the logo list refuses a picture that does
// not fit in the NV memory: a 16-bit PNG of 6000 x 5000 pixels, small on disk
// (its rows are plain), would unpack to hundreds of megabytes. Its header
// alone must refuse it. Prints the time of the refusal and the peak memory of
// the whole process (targets: under 100 ms, under 100 MB).
#include <sys/resource.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/MessageBox.h"
#include "logo/LogoList.h"
#include "logo/LogoListServices.h"
#include "logo/LogoOptions.h"

namespace {

constexpr uint32_t kWidth = 6000, kHeight = 5000;

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void Chunk(std::ofstream& file, const char* type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes;
    PutBigEndian(bytes, static_cast<uint32_t>(data.size()));
    bytes.insert(bytes.end(), type, type + 4);
    bytes.insert(bytes.end(), data.begin(), data.end());
    PutBigEndian(bytes, static_cast<uint32_t>(crc32(0, bytes.data() + 4, static_cast<uInt>(data.size() + 4))));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A 16-bit RGB PNG of plain gray rows, compressed a row at a time.
void WritePng(const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    file.write("\x89PNG\r\n\x1a\n", 8);
    std::vector<uint8_t> header;
    PutBigEndian(header, kWidth);
    PutBigEndian(header, kHeight);
    header.insert(header.end(), {16, 2, 0, 0, 0});  // 16 bits, RGB, deflate, no filter, no interlace
    Chunk(file, "IHDR", header);
    std::vector<uint8_t> row(1 + kWidth * 6, 0x80);
    row[0] = 0;  // filter: none
    std::vector<uint8_t> out(1 << 16);
    z_stream z{};
    deflateInit(&z, 9);
    for (uint32_t y = 0; y <= kHeight; ++y) {
        const bool last = y == kHeight;
        z.next_in = last ? nullptr : row.data();
        z.avail_in = last ? 0 : static_cast<uInt>(row.size());
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            const size_t n = out.size() - z.avail_out;
            if (n > 0) Chunk(file, "IDAT", {out.begin(), out.begin() + static_cast<long>(n)});
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    Chunk(file, "IEND", {});
}

}  // namespace

int main() {
    const std::string path = (std::filesystem::temp_directory_path() / "korva-bench-deep.png").string();
    WritePng(path);
    std::string shown;
    korva::base::SetMessageHandler([&](const std::string& text, const std::string&, korva::base::MsgStyle) {
        shown = text;
        return korva::base::MsgAnswer::Ok;
    });
    korva::logo::LogoList list;
    korva::logo::LogoOptions options;
    const auto start = std::chrono::steady_clock::now();
    const int added = korva::logo::MakeLogoListEditor(list, options).AddPickedFiles({path});
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("picture: %u x %u, 16-bit RGB PNG of %ju bytes\n", kWidth, kHeight,
                static_cast<uintmax_t>(std::filesystem::file_size(path)));
    std::printf("added: %d (expected 0)\nmessage: %s\n", added, shown.c_str());
    std::printf("refused in %.1f ms (target < 100 ms), peak memory %.1f MB (target < 100 MB)\n", ms,
                static_cast<double>(usage.ru_maxrss) / 1024.0);
    std::filesystem::remove(path);
    return added == 0 ? 0 : 1;
}

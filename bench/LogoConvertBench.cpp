// Logo conversion speed: a 512 x 1000 24-bit bitmap, from the file's bytes to
// the packed 1-bit raster and to the gray raster; the same picture as a PNG
// file (decoded by Qt's image reader) to the 1-bit raster.
//   bench_logo_convert --write-bmp FILE   writes the test bitmap and exits
//   bench_logo_convert --write-png FILE   writes the test picture as PNG and exits
//   bench_logo_convert [benchmark flags]  runs the benchmarks
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include "logo/ImageDecode.h"
#include "logo/LogoBitmap.h"

namespace {

constexpr int kWidth = 512;
constexpr int kHeight = 1000;

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A photo-like picture: soft gradients, a dark disc and fine noise, so the
// diffusion has real work everywhere.
std::vector<uint8_t> TestBitmap() {
    const uint32_t stride = kWidth * 3;
    const uint32_t pixelBytes = stride * kHeight;
    std::vector<uint8_t> out = {'B', 'M'};
    Put32(out, 54 + pixelBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, kWidth);
    Put32(out, kHeight);
    Put32(out, 1 | (24 << 16));  // planes, bits per pixel
    Put32(out, 0);
    Put32(out, pixelBytes);
    for (int i = 0; i < 4; ++i) Put32(out, i < 2 ? 2835 : 0);
    uint32_t seed = 12345;
    for (int row = 0; row < kHeight; ++row)
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int y = kHeight - 1 - row, dx = x - 256, dy = y - 500;
            const int disc = dx * dx + dy * dy < 180 * 180 ? 90 : 0;
            const int noise = static_cast<int>((seed >> 16) % 25) - 12;
            auto channel = [&](int v) {
                return static_cast<uint8_t>(std::min(255, std::max(0, v - disc + noise)));
            };
            out.push_back(channel(x / 2));          // blue
            out.push_back(channel(y * 255 / 999));  // green
            out.push_back(channel(255 - x / 3));    // red
        }
    return out;
}

void Convert(benchmark::State& state, bool gray) {
    const std::vector<uint8_t> file = TestBitmap();
    korva::logo::CLogoBitmap bitmap;
    korva::logo::LogoOptions options;
    for (auto _ : state) {
        if (!bitmap.LoadFile(file)) state.SkipWithError("the test bitmap does not load");
        if (gray)
            bitmap.ConvertGray(options);
        else
            bitmap.ConvertMono(options, false);
        benchmark::DoNotOptimize(bitmap.raster().data());
    }
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(kWidth) * kHeight / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// The test picture as a PNG file's bytes (the bitmap decoded by Qt, saved as PNG).
std::vector<uint8_t> TestPng() {
    const std::vector<uint8_t> bmp = TestBitmap();
    QImage image;
    image.loadFromData(bmp.data(), static_cast<int>(bmp.size()), "BMP");
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return {bytes.begin(), bytes.end()};
}

void BM_LogoConvertPng(benchmark::State& state) {
    const std::vector<uint8_t> file = TestPng();
    korva::logo::CLogoBitmap bitmap;
    korva::logo::LogoOptions options;
    for (auto _ : state) {
        if (!bitmap.LoadDecoded(korva::logo::DecodeImageFile(file)))
            state.SkipWithError("the test picture does not load");
        bitmap.ConvertMono(options, false);
        benchmark::DoNotOptimize(bitmap.raster().data());
    }
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(kWidth) * kHeight / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LogoConvertPng)->Unit(benchmark::kMillisecond);

void BM_LogoConvertMono(benchmark::State& state) { Convert(state, false); }
void BM_LogoConvertGray(benchmark::State& state) { Convert(state, true); }
BENCHMARK(BM_LogoConvertMono)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LogoConvertGray)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    const bool png = argc == 3 && std::strcmp(argv[1], "--write-png") == 0;
    if (png || (argc == 3 && std::strcmp(argv[1], "--write-bmp") == 0)) {
        const std::vector<uint8_t> file = png ? TestPng() : TestBitmap();
        std::FILE* out = std::fopen(argv[2], "wb");
        const bool ok = out && std::fwrite(file.data(), 1, file.size(), out) == file.size();
        if (out) std::fclose(out);
        return ok ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The conversion against a plain, pixel-by-pixel reading of its rules, on
// pictures with every gray value: the fast paths must give the same bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "logo/BmpWriter.h"
#include "logo/LogoBitmap.h"

namespace korva::logo {
namespace {

using test::Rgb;

// Gray of a 24-bit pixel: float weights, double products and sum, truncated.
int ReferenceGray(const Rgb& c) {
    return static_cast<int>(std::trunc(c.g * static_cast<double>(0.59f) +
                                       c.b * static_cast<double>(0.11f) +
                                       c.r * static_cast<double>(0.3f)));
}

int ReferenceTone(int g, int t) {
    const double v = t <= 128 ? g * (1 + (128 - t) / 128.0) : g * t / 128.0 - (2 * t - 256);
    return std::clamp(static_cast<int>(std::trunc(v)), 0, 255);
}

// Work image of the padded picture after the tone adjustment.
std::vector<std::vector<int>> ReferenceWork(const std::vector<std::vector<Rgb>>& picture, int pw,
                                            int ph, int t) {
    std::vector<std::vector<int>> work(static_cast<size_t>(ph),
                                       std::vector<int>(static_cast<size_t>(pw)));
    const int h = static_cast<int>(picture.size()), w = static_cast<int>(picture[0].size());
    for (int y = 0; y < ph; ++y)
        for (int x = 0; x < pw; ++x) {
            const int g = (x < w && y < h) ? ReferenceGray(picture[y][x]) : 255;
            work[y][x] = ReferenceTone(g, t);
        }
    return work;
}

void Diffuse(std::vector<std::vector<int>>& work, int levels) {
    const int ph = static_cast<int>(work.size()), pw = static_cast<int>(work[0].size());
    auto add = [&](int x, int y, double share) {
        work[y][x] = std::clamp(work[y][x] + static_cast<int>(std::trunc(share)), 0, 255);
    };
    for (int y = 0; y < ph; ++y)
        for (int x = 0; x < pw; ++x) {
            const int v = work[y][x];
            int e;
            if (levels == 2) {
                const int q = v >= 127 ? 1 : 0;
                work[y][x] = 1 - q;
                e = v - 255 * q;
            } else {
                const int f = std::min((v + 21) / 42, 5);
                work[y][x] = 5 - f;
                e = v - 51 * f;
            }
            if (x < pw - 1) add(x + 1, y, e * 7 / 16.0);
            if (y < ph - 1) {
                if (x > 0) add(x - 1, y + 1, e * 3 / 16.0);
                add(x, y + 1, e * 5 / 16.0);
                if (x < pw - 1) add(x + 1, y + 1, e * 1 / 16.0);
            }
        }
}

std::vector<uint8_t> ReferenceMono(const std::vector<std::vector<Rgb>>& picture, int t) {
    const int pw = static_cast<int>((picture[0].size() + 7) / 8 * 8),
              ph = static_cast<int>((picture.size() + 7) / 8 * 8);
    auto work = ReferenceWork(picture, pw, ph, t);
    Diffuse(work, 2);
    std::vector<uint8_t> out;
    for (int x = 0; x < pw; ++x)
        for (int b = 0; b < ph / 8; ++b) {
            int byte = 0;
            for (int r = 0; r < 8; ++r) byte |= work[8 * b + r][x] << (7 - r);
            out.push_back(static_cast<uint8_t>(byte));
        }
    return out;
}

std::vector<uint8_t> ReferenceGrayRaster(const std::vector<std::vector<Rgb>>& picture, int t) {
    const int pw = static_cast<int>((picture[0].size() + 7) / 8 * 8),
              ph = static_cast<int>((picture.size() + 7) / 8 * 8);
    auto work = ReferenceWork(picture, pw, ph, t);
    Diffuse(work, 6);
    std::vector<uint8_t> out;
    for (int y = 0; y < ph; ++y)
        for (int x = 0; x < pw; x += 2)
            out.push_back(static_cast<uint8_t>(work[y][x] << 4 | work[y][x + 1]));
    return out;
}

std::vector<std::vector<Rgb>> Picture(int w, int h, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::vector<Rgb>> picture(static_cast<size_t>(h),
                                          std::vector<Rgb>(static_cast<size_t>(w)));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Smooth ramps with noise: every gray value, flat areas and edges.
            const int base = (x * 255 / std::max(1, w - 1) + y * 3) % 256;
            const auto noisy = [&](int v) {
                return static_cast<uint8_t>(
                    std::clamp(v + static_cast<int>(random() % 41) - 20, 0, 255));
            };
            picture[y][x] = (random() % 7 == 0)
                                ? Rgb{noisy(base), noisy(255 - base), noisy(base / 2)}
                                : Rgb{static_cast<uint8_t>(base), static_cast<uint8_t>(base),
                                      static_cast<uint8_t>(base)};
        }
    return picture;
}

TEST(ConversionReference, MonoAndGrayRastersMatchThePlainRules) {
    struct Case {
        int w, h;
        unsigned seed;
    };
    for (const Case c : {Case{37, 21, 1}, Case{64, 64, 2}, Case{1, 1, 3}, Case{203, 45, 4}}) {
        const auto picture = Picture(c.w, c.h, c.seed);
        CLogoBitmap bitmap;
        ASSERT_TRUE(
            bitmap.LoadFile(test::Rgb24Bmp(c.w, c.h, [&](int x, int y) { return picture[y][x]; })));
        for (int t : {0, 37, 128, 129, 200, 255}) {
            LogoOptions options;
            options.threshold = t;
            bitmap.ConvertMono(options, false);
            EXPECT_EQ(std::vector<uint8_t>(bitmap.raster().begin(), bitmap.raster().end()),
                      ReferenceMono(picture, t))
                << c.w << "x" << c.h << " T=" << t;
            bitmap.ConvertGray(options);
            EXPECT_EQ(std::vector<uint8_t>(bitmap.raster().begin(), bitmap.raster().end()),
                      ReferenceGrayRaster(picture, t))
                << c.w << "x" << c.h << " gray T=" << t;
        }
    }
}

}  // namespace
}  // namespace korva::logo

// korva logo convert: a bitmap file to the raster bytes the printer receives
// for it (first upload position), with an optional PNG picture of the dots.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "logo/LogoBitmap.h"
#include "logo/LogoFile.h"
#include "logo/LogoGeometry.h"
#include "logo/PreviewPng.h"

namespace korva::cli {
namespace {

constexpr const char* kUsage =
    "usage: korva logo convert IN.bmp --out RASTER.bin [--gray] [--threshold T]\n"
    "                          [--center [--max-width W]] [--preview DOTS.png] [--json]\n"
    "  --out FILE       write the raster bytes (1-bit columns, or 4-bit gray rows)\n"
    "  --gray           six gray levels instead of dots\n"
    "  --threshold T    black/white diverging point 0..255 (default 128)\n"
    "  --center         centre the image in the maximum printable width (1-bit only)\n"
    "  --max-width W    maximum printable width in dots, 1..512 (default 512)\n"
    "  --preview FILE   also write a PNG picture of the dots\n"
    "prints: width=W height=H bytes=N (padded dots, after centring)\n";

struct ConvertArgs {
    std::string input, output, preview;
    logo::LogoOptions options;
    bool center = false;
    bool json = false;
};

bool ParseNumber(const std::string& text, int low, int high, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high) return false;
    out = static_cast<int>(value);
    return true;
}

// Returns an empty string when the arguments are good, else what is wrong.
std::string Parse(const std::vector<std::string>& args, ConvertArgs& out) {
    bool maxWidthGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--out" || a == "--preview" || a == "--threshold" || a == "--max-width") {
            if (!hasValue) return a + " needs a value";
            const std::string& v = args[++i];
            if (a == "--out") out.output = v;
            if (a == "--preview") out.preview = v;
            if (a == "--threshold" && !ParseNumber(v, 0, 255, out.options.threshold))
                return "--threshold takes a number 0..255, not '" + v + "'";
            if (a == "--max-width") {
                if (!ParseNumber(v, 1, 512, out.options.maxPrintableWidth))
                    return "--max-width takes a number 1..512, not '" + v + "'";
                maxWidthGiven = true;
            }
        } else if (a == "--gray") {
            out.options.grayPrinting = true;
        } else if (a == "--center") {
            out.center = true;
        } else if (a == "--json") {
            out.json = true;
        } else if (!a.empty() && a[0] == '-') {
            return "unknown option '" + a + "'";
        } else if (out.input.empty()) {
            out.input = a;
        } else {
            return "more than one input file ('" + out.input + "', '" + a + "')";
        }
    }
    if (out.input.empty()) return "no input bitmap given";
    if (out.output.empty()) return "--out RASTER.bin is required";
    if (out.center && out.options.grayPrinting)
        return "--center applies to 1-bit images only, not with --gray";
    if (maxWidthGiven && !out.center) return "--max-width is used only with --center";
    return {};
}

bool WriteBytes(const std::string& path, std::span<const uint8_t> bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

int Run(const std::vector<std::string>& args) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    ConvertArgs a;
    if (std::string problem = Parse(args, a); !problem.empty()) {
        std::fprintf(stderr, "korva logo convert: %s\n%s", problem.c_str(), kUsage);
        return kExitUsage;
    }
    logo::CLogoBitmap bitmap;
    logo::BitmapError error;
    if (!logo::LoadLogoFile(bitmap, a.input, error)) {
        const std::string reason = logo::DescribeBitmapError(error);
        if (error.kind == logo::BitmapErrorKind::FileUnreadable)
            std::fprintf(stderr, "korva logo convert: %s\n", reason.c_str());
        else
            std::fprintf(stderr, "korva logo convert: %s: not a usable bitmap: %s\n",
                         a.input.c_str(), reason.c_str());
        return kExitBadInput;
    }
    if (!logo::HeaderCanCarry(bitmap.width(), bitmap.height(), a.options.grayPrinting)) {
        std::fprintf(stderr,
                     "korva logo convert: %s: an image of %d x %d pixels is too large for the "
                     "printer's %s image header\n",
                     a.input.c_str(), bitmap.width(), bitmap.height(),
                     a.options.grayPrinting ? "gray" : "1-bit");
        return kExitBadInput;
    }
    if (a.options.grayPrinting)
        bitmap.ConvertGray(a.options);
    else
        bitmap.ConvertMono(a.options, a.center);
    if (!WriteBytes(a.output, bitmap.raster())) {
        std::fprintf(stderr, "korva logo convert: cannot write %s\n", a.output.c_str());
        return kExitPrinter;
    }
    if (!a.preview.empty()) {
        const int w = bitmap.paddedWidth(), h = bitmap.paddedHeight();
        const std::vector<uint8_t> pixels = a.options.grayPrinting
                                                ? logo::GrayRasterToGray(bitmap.raster(), w, h)
                                                : logo::MonoRasterToGray(bitmap.raster(), w, h);
        if (!WriteBytes(a.preview, logo::EncodeGrayPng(pixels, w, h))) {
            std::fprintf(stderr, "korva logo convert: cannot write %s\n", a.preview.c_str());
            return kExitPrinter;
        }
    }
    if (a.json)
        std::printf("{\"width\":%d,\"height\":%d,\"bytes\":%d}\n", bitmap.paddedWidth(),
                    bitmap.paddedHeight(), bitmap.rasterLength());
    else
        std::printf("width=%d height=%d bytes=%d\n", bitmap.paddedWidth(), bitmap.paddedHeight(),
                    bitmap.rasterLength());
    return kExitOk;
}

const CommandRegistration kLogoConvert{{
    {"logo", "convert"},
    "convert a bitmap to the printer's logo raster",
    Run,
}};

}  // namespace
}  // namespace korva::cli

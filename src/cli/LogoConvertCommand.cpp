// korva logo convert: a bitmap file to the raster bytes the printer receives
// for it (first upload position), with an optional PNG picture of the dots.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/InputFile.h"
#include "cli/InputKinds.h"
#include "cli/JsonReport.h"
#include "cli/NumberText.h"
#include "cli/Output.h"
#include "cli/PendingFile.h"
#include "cli/RunReason.h"
#include "logo/LogoBitmap.h"
#include "logo/LogoFile.h"
#include "logo/LogoGeometry.h"
#include "logo/PreviewPng.h"

namespace korva::cli {
namespace {

struct ConvertArgs {
    std::string input, output, preview;
    logo::LogoOptions options;
    bool center = false;
};

/// Returns -1 when the arguments are good, else the exit code after the
/// usage error was reported.
int Parse(const ParsedOptions& options, ConvertArgs& out) {
    const std::vector<std::string>& operands = options.Operands();
    if (operands.empty()) return UsageError("no input bitmap given (- for standard input)");
    if (operands.size() > 1)
        return UsageError("more than one input file ('" + ShortQuote(operands[0]) + "', '" + ShortQuote(operands[1]) + "')");
    out.input = operands[0];
    out.output = options.Get("out");
    out.preview = options.Get("preview");
    out.options.grayPrinting = options.Has("gray");
    // --center[=N,...] as `logo upload` takes it; the one picture here is logo 1.
    out.center = options.Has("center");
    for (const std::string& list : options.All("center"))
        if (!list.empty() && list != "1")
            return UsageError("--center=N,... names logos of an upload; convert has logo 1 only");
    if (options.Has("threshold") && !ParseNumber(options.Get("threshold"), 0, 255, out.options.threshold))
        return UsageError("--threshold takes a number 0..255, not '" + ShortQuote(options.Get("threshold")) + "'");
    if (options.Has("max-width") &&
        !ParseNumber(options.Get("max-width"), 1, 512, out.options.maxPrintableWidth))
        return UsageError("--max-width takes a number 1..512, not '" + ShortQuote(options.Get("max-width")) + "'");
    if (out.output.empty()) return UsageError("--out RASTER.bin is required (- for standard output)");
    if (out.output == "-" && out.preview == "-")
        return UsageError("only one of --out and --preview can be standard output");
    if ((out.output == "-" || out.preview == "-") && Mode().json)
        return UsageError("--json needs standard output for itself; write the raster to a file");
    if (out.center && out.options.grayPrinting)
        return UsageError("--center applies to 1-bit images only, not with --gray");
    return -1;
}

/// Loads the bitmap from a file or, for "-", from standard input (bounded
/// as every input is). False after saying why.
bool Load(logo::CLogoBitmap& bitmap, const std::string& path, const std::string& name) {
    logo::BitmapError error;
    if (path != "-") {
        if (logo::LoadLogoFile(bitmap, path, error)) return true;
    } else {
        InputFile input;
        if (!input.Read(path, PictureInput({}))) return false;
        logo::BitmapDecodeResult decoded = logo::DecodeLogoBytes(input.TakeBytes());
        logo::LogDecoderWords(name, decoded);
        if (bitmap.LoadDecoded(std::move(decoded))) return true;
        error = bitmap.LastError();
    }
    SetReason(logo::RefusalReason(error), Subject::File, name);
    Error(logo::DescribeRefusal(name, error));
    return false;
}

/// Writes a file whole (a failure leaves none), or standard output for "-"
/// (checked when it is closed). False after saying why.
bool WriteBytes(const std::string& path, std::span<const uint8_t> bytes) {
    if (path == "-") return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    PendingFile pending(path);
    std::FILE* file = std::fopen(pending.WritePath().c_str(), "wb");
    if (file == nullptr) {
        FileWriteError(path, std::strerror(errno));
        return false;
    }
    errno = 0;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    const int error = errno;
    if (std::fclose(file) != 0 || !ok) {
        FileWriteError(path, std::strerror(error != 0 ? error : errno));
        return false;
    }
    std::string why;
    if (pending.Commit(why)) return true;
    FileWriteError(path, why);
    return false;
}

int Run(const ParsedOptions& options) {
    ConvertArgs a;
    if (const int code = Parse(options, a); code >= 0) return code;
    const std::string inputName = a.input == "-" ? "standard input" : ShortQuote(a.input);
    logo::CLogoBitmap bitmap;
    if (!Load(bitmap, a.input, inputName)) return kExitBadInput;
    if (!logo::HeaderCanCarry(bitmap.width(), bitmap.height(), a.options.grayPrinting)) {
        SetReason(base::Reason::TooLarge, Subject::File, inputName);
        Error(inputName + ": an image of " + std::to_string(bitmap.width()) + " x " +
              std::to_string(bitmap.height()) + " pixels is too large for the printer's " +
              (a.options.grayPrinting ? "gray" : "1-bit") + " image header");
        return kExitBadInput;
    }
    if (a.options.grayPrinting)
        bitmap.ConvertGray(a.options);
    else
        bitmap.ConvertMono(a.options, a.center);
    if (!WriteBytes(a.output, bitmap.raster())) return kExitBadInput;
    if (!a.preview.empty()) {
        const int w = bitmap.paddedWidth(), h = bitmap.paddedHeight();
        const std::vector<uint8_t> pixels = a.options.grayPrinting
                                                ? logo::GrayRasterToGray(bitmap.raster(), w, h)
                                                : logo::MonoRasterToGray(bitmap.raster(), w, h);
        if (!WriteBytes(a.preview, logo::EncodeGrayPng(pixels, w, h))) return kExitBadInput;
    }
    const std::string summary = "width=" + std::to_string(bitmap.paddedWidth()) +
                                " height=" + std::to_string(bitmap.paddedHeight()) +
                                " bytes=" + std::to_string(bitmap.rasterLength());
    if (Mode().json)
        JsonReport(Outcome::Done)
            .Set("width", bitmap.paddedWidth())
            .Set("height", bitmap.paddedHeight())
            .Set("bytes", bitmap.rasterLength())
            .Print();
    else if (a.output == "-" || a.preview == "-")
        Note(summary);  // standard output carries the bytes
    else
        std::printf("%s\n", summary.c_str());
    return kExitOk;
}

const CommandRegistration kLogoConvert{{
    {"logo", "convert"},
    "convert a bitmap to the printer's logo raster",
    "IN.bmp --out RASTER.bin [--gray] [--threshold T]\n"
    "                          [--center [--max-width W]] [--preview DOTS.png]",
    "Converts IN.bmp (- for standard input) as the logo upload does and prints\n"
    "width=W height=H bytes=N (padded dots, after centring). IN may also be a\n"
    "PNG, GIF, JPEG, TIFF or WebP picture, laid on white paper.",
    {
        OutOption("write the raster bytes (1-bit columns, or 4-bit\n"
                  "gray rows); - for standard output"),
        {"gray", 0, "", "six gray levels instead of dots"},
        {"threshold", 0, "T", "black/white diverging point 0..255 (default 128)"},
        {"center", 0, "N,...", "centre the logo in the maximum printable width, as\n"
                               "logo upload does (1-bit only; N can only be 1)", {}, true, true},
        {"max-width", 0, "W", "maximum printable width in dots 1..512, default 512;\n"
                              "what --center centres in"},
        {"preview", 0, "FILE", "also write a PNG picture of the dots"},
    },
    Run,
}};

}  // namespace
}  // namespace korva::cli

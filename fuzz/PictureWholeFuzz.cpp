// Any bytes as a PNG, GIF or JPEG whose chunks, blocks or segments are walked
// before a decoder sees them: the walk reads nothing outside the bytes, and a
// refusal is an early end or damage, with a reason.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "logo/PictureIntegrity.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using korva::logo::BitmapErrorKind;
    const korva::logo::BitmapError error = korva::logo::CheckPictureWhole(std::span<const uint8_t>(data, size));
    if (error.kind == BitmapErrorKind::None) return 0;
    if (error.reason.empty()) std::abort();
    if (error.kind != BitmapErrorKind::Truncated && error.kind != BitmapErrorKind::Damaged) std::abort();
    return 0;
}

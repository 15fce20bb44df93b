#pragma once
// Why a firmware image or a stopped download leaves the printer as it does,
// in the words the dialogs and korva share: the cause on the line after the
// tool's own message.
#include <cstdint>
#include <span>
#include <string>

#include "firmware/NewImage.h"
#include "firmware/OldImage.h"

namespace korva::firmware {

/// "KORVA20" for device type 1, "KORVA20II" for 3: the series a device type takes.
const char* NewSeriesName(int deviceType);

/// Why `image` is no firmware for `deviceType`: "is a K20 image for KORVA20
/// printers, but the model is a KORVA20II", or that it carries no signature.
std::string NewImageMismatch(std::span<const uint8_t> image, int deviceType);

/// The sizes a newer-series image may have, against the file's: "the file has
/// 5000 bytes; an image has exactly 1048576 (1 MiB) or 2097152 (2 MiB)".
std::string NewImageSizeMismatch(uint64_t size);

/// How far an older-series erase got: it decides what the printer holds.
enum class OldErase {
    NotSent,      ///< the erase packet never went out: the printer is unchanged
    Unconfirmed,  ///< sent, but the printer never answered it
    Erased,       ///< answered (or sent on a port that cannot answer)
};

/// "program", "boot", "font", "extended font".
const char* OldAreaName(OldArea area);

/// What the printer holds after an older-series download stopped early:
/// "program area erased; the printer will not start until a download completes".
std::string OldStopText(const std::string& areaName, OldErase erase);

}  // namespace korva::firmware

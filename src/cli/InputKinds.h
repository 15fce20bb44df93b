#pragma once
// The kinds of file `korva` commands read, each with the largest size it
// can have.
#include <string>
#include <string_view>

#include "cli/InputFile.h"
#include "firmware/NewImage.h"
#include "logo/LogoFile.h"

namespace korva::cli {

/// A firmware image of either series: at most the largest flash image.
inline InputKind FirmwareInput() { return {"a firmware image", firmware::kNewImageSize2M}; }

/// The settings `setup write --from` takes: a few hundred bytes in practice.
inline InputKind SettingsInput() { return {"a settings file", 64 * 1024}; }

/// A logo picture; `suffix` (the file name's, without the dot) helps tell a
/// format without a signature. Bytes that start like no picture are refused
/// before the rest is read.
inline InputKind PictureInput(std::string suffix) {
    return {"a logo picture", logo::kMaxBitmapFileBytes,
            [suffix = std::move(suffix)](std::span<const uint8_t> head) {
                return logo::NotAPicture(head, suffix);
            }};
}

}  // namespace korva::cli

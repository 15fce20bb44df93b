#pragma once
#include <QImage>
#include <string>

namespace korva::logo {
struct DecodedBitmap;
}

namespace korva::logo::ui {

/// The decoded bitmap as its colours, for showing on screen (not as printer dots).
QImage DecodedToImage(const DecodedBitmap& bitmap);

/// Reads a bitmap file with the logo reader; a null image when it cannot be read.
QImage LoadBitmapImage(const std::string& path);

}  // namespace korva::logo::ui

#pragma once
#include <QImage>
#include <string>

namespace korva::logo {
struct DecodedBitmap;
struct LogoRaster;
}

namespace korva::logo::ui {

/// The decoded bitmap as its colours, for showing on screen (not as printer dots).
QImage DecodedToImage(const DecodedBitmap& bitmap);

/// Reads a bitmap file with the logo reader; a null image when it cannot be read.
QImage LoadBitmapImage(const std::string& path);

/// The dots a raster prints, one image pixel per dot: black dots on white, or
/// the six gray levels of a gray raster. A null image for an empty raster.
QImage PrinterDotsImage(const LogoRaster& raster, bool gray);

}  // namespace korva::logo::ui

#pragma once
// The converter the front ends hand to NvUpload: reads each listed bitmap
// file and turns it into the raster the printer stores.
#include "logo/LogoOptions.h"
#include "logo/NvUpload.h"

namespace korva::logo {

/// Converts with `options` as they are now: 4-bit gray rasters when
/// grayPrinting is on, else 1-bit rasters centred in maxPrintableWidth when
/// the entry asks for it. One bitmap object is reused for every image.
LogoConverter MakeBitmapConverter(const LogoOptions& options);

}  // namespace korva::logo

#pragma once
// What the front ends hand to NvUpload from the logo list and the options:
// the entries, and the converter that turns each file into its raster.
#include <vector>

#include "logo/LogoList.h"
#include "logo/LogoOptions.h"
#include "logo/NvUpload.h"

namespace korva::logo {

/// Converts with `options` as they are now: 4-bit gray rasters when
/// grayPrinting is on, else 1-bit rasters centred in maxPrintableWidth when
/// the entry asks for it. One bitmap object is reused for every image.
LogoConverter MakeBitmapConverter(const LogoOptions& options);

/// The list's entries as the upload takes them, in list order (the upload
/// sorts them by logo number), each with its own centring flag.
std::vector<UploadEntry> UploadEntriesFrom(const LogoList& list);

}  // namespace korva::logo

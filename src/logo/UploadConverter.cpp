#include "logo/UploadConverter.h"

#include <memory>

#include "base/ErrorLog.h"
#include "logo/LogoBitmap.h"
#include "logo/LogoFile.h"

namespace korva::logo {

LogoConverter MakeBitmapConverter(const LogoOptions& options) {
    auto bitmap = std::make_shared<CLogoBitmap>();
    return [bitmap, options](const UploadEntry& entry, int, LogoRaster& out) {
        BitmapError error;
        if (!LoadLogoFile(*bitmap, entry.path, error)) {
            // The upload names the file; why it no longer loads goes to the log.
            base::ErrorLog().Log("%s", DescribeRefusal(entry.path, error).c_str());
            return false;
        }
        if (options.grayPrinting)
            bitmap->ConvertGray(options);
        else
            bitmap->ConvertMono(options, entry.center);
        const auto raster = bitmap->raster();
        if (raster.empty()) return false;
        out.paddedWidth = bitmap->paddedWidth();
        out.paddedHeight = bitmap->paddedHeight();
        out.data.assign(raster.begin(), raster.end());
        return true;
    };
}

std::vector<UploadEntry> UploadEntriesFrom(const LogoList& list) {
    std::vector<UploadEntry> entries;
    entries.reserve(list.entries.size());
    for (const LogoEntry& e : list.entries)
        entries.push_back({e.NumberValue(), e.name, e.path, e.SizeValue(), e.centerAlign});
    return entries;
}

}  // namespace korva::logo

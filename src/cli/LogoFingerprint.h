#pragma once
// Logo sets compared by fingerprint. A printer cannot list its NV logos, so
// korva keeps, per printer, the fingerprint of the last upload the printer
// confirmed, in its state folder; `logo upload --if-changed` skips an upload
// whose fingerprint matches. A change made behind korva's back (another
// tool, an erase from elsewhere) is not seen.
#include <string>
#include <vector>

#include "logo/NvUpload.h"
#include "port/Connection.h"

namespace korva::cli {

struct LogoFingerprints {
    std::string set;                ///< "sha256:..." of the whole NV definition, in order
    std::vector<std::string> logos;  ///< "sha256:..." of each image's header and raster
};

/// The fingerprints of the definition the upload sends for `rasters`:
/// stable for the same pictures, options and order.
LogoFingerprints FingerprintLogos(const std::vector<logo::LogoRaster>& rasters, bool gray,
                                  bool starEmulation);

/// What korva records after a confirmed erase: the printer holds no logos.
std::string ErasedFingerprint();

/// The fingerprint recorded for the printer at `connection`; "" when none.
std::string RecordedLogoFingerprint(const port::ConnectionSettings& connection);
/// Records `fingerprint` as what the printer holds (after a confirmed upload).
void RecordLogoFingerprint(const port::ConnectionSettings& connection, const std::string& fingerprint);
/// Forgets the printer's record: what it holds is no longer known.
void ForgetLogoFingerprint(const port::ConnectionSettings& connection);

}  // namespace korva::cli

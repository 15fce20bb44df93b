#pragma once
// Logo sets compared by fingerprint. A printer cannot list its NV logos, so
// korva keeps, per printer, the fingerprint of the last upload the printer
// confirmed, in its state folder; `logo upload --if-changed` skips an upload
// whose fingerprint matches. A change made behind korva's back (another
// tool, an erase from elsewhere) is not seen.
#include <optional>
#include <string>
#include <vector>

#include "cli/Options.h"
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

/// korva's record of one printer's logos. An Ethernet printer is known by
/// its MAC, asked with a search sent to its address: a new address keeps the
/// record, and two addresses of one printer share it. When the printer does
/// not answer the search, its address and TCP port name it, as they named
/// every Ethernet printer before; such a record is still read for a printer
/// whose MAC has none, and moves to the MAC at the next record. A device is
/// known by its real path (a symlink and its target are one printer).
class LogoRecord {
  public:
    /// The record of the printer at `connection`; for an Ethernet printer
    /// after one bounded search of its address (--udp-port, --listen-port),
    /// its MAC then added to the JSON target. nullopt after a usage error.
    static std::optional<LogoRecord> Of(const port::ConnectionSettings& connection, const ParsedOptions& options);

    /// The fingerprint recorded for the printer; "" when none.
    std::string Fingerprint() const;
    /// Records `fingerprint` as what the printer holds (after a confirmed upload).
    void Record(const std::string& fingerprint) const;
    /// Forgets the printer's record: what it holds is no longer known.
    void Forget() const;

    /// The file the record is kept in.
    const std::string& Path() const { return m_Path; }

  private:
    std::string m_Path;
    std::string m_AddressPath;  ///< the address's record of an Ethernet printer known by its MAC
};

}  // namespace korva::cli

#include "cli/LogoFingerprint.h"

#include <QCryptographicHash>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "profile/FileLocations.h"
#include "profile/IniProfile.h"
#include "cli/ConnectionOptions.h"
#include "cli/JsonReport.h"
#include "cli/NetCommandOptions.h"
#include "cli/NetLookup.h"
#include "cli/Output.h"
#include "logo/NvDefinition.h"
#include "netcfg/NetText.h"

namespace korva::cli {

namespace {

std::string Sha256(const QByteArray& bytes) {
    return "sha256:" + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

template <typename Bytes>
void Append(QByteArray& out, const Bytes& bytes) {
    out.append(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

/// The record file named `key` (slashes, colons and spaces made safe).
std::string RecordPath(std::string key) {
    for (char& c : key)
        if (c == '/' || c == ':' || c == ' ') c = '_';
    const std::filesystem::path state = std::filesystem::path(profile::ProgramFileLocations().logPath).parent_path();
    return (state / "logos" / (key + ".fingerprint")).string();
}

std::string ReadRecord(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line.starts_with("sha256:") ? line : "";
}

void RemoveRecord(const std::string& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
}

}  // namespace

LogoFingerprints FingerprintLogos(const std::vector<logo::LogoRaster>& rasters, bool gray,
                                  bool starEmulation) {
    LogoFingerprints out;
    QByteArray definition;
    Append(definition, logo::EncodeNvDefineCommand(static_cast<int>(rasters.size()), starEmulation));
    for (const logo::LogoRaster& raster : rasters) {
        QByteArray image;
        Append(image, logo::EncodeNvImageHeader(raster.paddedWidth, raster.paddedHeight, gray));
        Append(image, raster.data);
        out.logos.push_back(Sha256(image));
        definition += image;
    }
    out.set = Sha256(definition);
    return out;
}

std::string ErasedFingerprint() {
    QByteArray erase;
    Append(erase, logo::EncodeNvEraseAll());
    return Sha256(erase);
}

std::optional<LogoRecord> LogoRecord::Of(const port::ConnectionSettings& connection, const ParsedOptions& options) {
    LogoRecord record;
    if (ClassifyConnectionPort(connection).kind != port::PortKind::Ethernet) {
        std::error_code error;
        const std::filesystem::path real = std::filesystem::canonical(connection.portName, error);
        record.m_Path = RecordPath("dev" + (error ? connection.portName : real.string()));
        return record;
    }
    record.m_Path = RecordPath("ip-" + connection.ipAddress + "-" + std::to_string(connection.tcpPort));
    const std::optional<netcfg::NetEndpoints> endpoints = AddressSearchEndpoints(options, connection.ipAddress);
    if (!endpoints) return std::nullopt;
    base::RealClock clock;
    const std::optional<FoundPrinter> found = SearchByAddress(clock, *endpoints, connection.ipAddress);
    if (!found) {
        Note("the printer's MAC is not known (no answer to a search of " + connection.ipAddress +
             "); korva's record of its logos goes by its address");
        return record;
    }
    const std::string mac = netcfg::FormatMac(found->settings.mac);
    SetJsonTargetKey("mac", QString::fromStdString(mac));
    record.m_AddressPath = record.m_Path;
    record.m_Path = RecordPath("mac-" + mac);
    return record;
}

std::string LogoRecord::Fingerprint() const {
    const std::string recorded = ReadRecord(m_Path);
    if (!recorded.empty() || m_AddressPath.empty()) return recorded;
    return ReadRecord(m_AddressPath);
}

void LogoRecord::Record(const std::string& fingerprint) const {
    if (!profile::MakeFolderFor(m_Path) || !profile::WriteFileAtomically(m_Path, fingerprint + "\n")) {
        Note("warning: cannot record the logos' fingerprint in " + m_Path);
        return;
    }
    // The printer's record has moved to its MAC.
    if (!m_AddressPath.empty()) RemoveRecord(m_AddressPath);
}

void LogoRecord::Forget() const {
    RemoveRecord(m_Path);
    if (!m_AddressPath.empty()) RemoveRecord(m_AddressPath);
}

}  // namespace korva::cli

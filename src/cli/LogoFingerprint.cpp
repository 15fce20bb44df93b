#include "cli/LogoFingerprint.h"

#include <QCryptographicHash>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "profile/FileLocations.h"
#include "profile/IniProfile.h"
#include "cli/ConnectionOptions.h"
#include "cli/Output.h"
#include "logo/NvDefinition.h"

namespace korva::cli {

namespace {

std::string Sha256(const QByteArray& bytes) {
    return "sha256:" + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

template <typename Bytes>
void Append(QByteArray& out, const Bytes& bytes) {
    out.append(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

/// One file name per printer: its address and TCP port, or its device's
/// real path (a symlink and its target are one printer).
std::string PrinterKey(const port::ConnectionSettings& connection) {
    std::string key;
    if (ClassifyConnectionPort(connection).kind == port::PortKind::Ethernet) {
        key = "ip-" + connection.ipAddress + "-" + std::to_string(connection.tcpPort);
    } else {
        std::error_code error;
        const std::filesystem::path real = std::filesystem::canonical(connection.portName, error);
        key = "dev" + (error ? connection.portName : real.string());
    }
    for (char& c : key)
        if (c == '/' || c == ':' || c == ' ') c = '_';
    return key;
}

std::string RecordPath(const port::ConnectionSettings& connection) {
    const std::filesystem::path state = std::filesystem::path(profile::ProgramFileLocations().logPath).parent_path();
    return (state / "logos" / (PrinterKey(connection) + ".fingerprint")).string();
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

std::string RecordedLogoFingerprint(const port::ConnectionSettings& connection) {
    std::ifstream in(RecordPath(connection));
    std::string line;
    std::getline(in, line);
    return line.starts_with("sha256:") ? line : "";
}

void RecordLogoFingerprint(const port::ConnectionSettings& connection, const std::string& fingerprint) {
    const std::string path = RecordPath(connection);
    if (!profile::MakeFolderFor(path) || !profile::WriteFileAtomically(path, fingerprint + "\n"))
        Note("warning: cannot record the logos' fingerprint in " + path);
}

void ForgetLogoFingerprint(const port::ConnectionSettings& connection) {
    std::error_code error;
    std::filesystem::remove(RecordPath(connection), error);
}

}  // namespace korva::cli

// korva firmware check: looks at a firmware image file the way the download
// does, without a printer: the newer series' size, signature and areas, or
// which areas of the older series the file covers.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/Messages.h"
#include "cli/Command.h"
#include "cli/LogoCommandSupport.h"
#include "firmware/FirmwareTexts.h"
#include "firmware/ImageFile.h"
#include "firmware/NewImage.h"
#include "firmware/OldImage.h"

namespace korva::cli {
namespace {

using namespace korva::firmware;

constexpr const char* kUsage =
    "usage: korva firmware check FILE [--series new|old] [--json]\n"
    "Checks a firmware image file as the download would, without a printer.\n\n"
    "  --series new|old     newer series (KORVA20, KORVA20II: .K20 files) or older\n"
    "                       series (KORVA10: .bin files); by default the file's\n"
    "                       extension tells\n"
    "  --json               print the result as one JSON object on stdout\n";

constexpr const char* kNewAreaNames[kNewAreaCount] = {"program", "boot", "downloader", "font"};
constexpr const char* kOldAreaNames[kOldAreaCount] = {"program", "extfont", "boot", "font"};

int usageError(const std::string& why) {
    std::fprintf(stderr, "korva firmware check: %s\n%s", why.c_str(), kUsage);
    return kExitUsage;
}

std::string lowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return ext;
}

int refuse(const std::string& path, const std::string& text, bool json) {
    if (json) std::printf("{\"ok\":false,\"error\":\"%s\"}\n", text.c_str());
    std::fprintf(stderr, "korva: %s: %s\n", path.c_str(), text.c_str());
    return kExitBadInput;
}

int checkNew(const std::string& path, bool json) {
    const ImageFile file = ReadImageFile(path, kNewImageSize2M, true);
    if (file.status == ImageFile::Status::OpenFailed) return refuse(path, kTextFileOpen, json);
    if (!IsNewImageSize(file.size)) return refuse(path, kTextFileSizeNotCorrect, json);
    if (file.status != ImageFile::Status::Ok) return refuse(path, kTextFileSizeError, json);
    const NewSignature signature = ReadNewSignature(file.bytes);
    const int deviceType = signature == NewSignature::K20 ? 1 : 3;
    if (signature == NewSignature::None) return refuse(path, base::Message(base::kMsgNotFirmwareFile), json);

    if (json) {
        std::printf("{\"ok\":true,\"series\":\"new\",\"size\":%llu,\"signature\":\"%s\",\"device_type\":%d,"
                    "\"ext_font\":%s,\"areas\":[",
                    static_cast<unsigned long long>(file.size), NewSignatureText(signature), deviceType,
                    HasExtFont(file.bytes) ? "true" : "false");
    } else {
        std::printf("%s: newer-series image, %llu bytes, signature %s (device type %d)\n", path.c_str(),
                    static_cast<unsigned long long>(file.size), NewSignatureText(signature), deviceType);
    }
    for (int i = 0; i < kNewAreaCount; ++i) {
        const NewPacketResult packet = BuildNewDownloadPacket(file.bytes, deviceType, static_cast<NewArea>(i));
        const uint32_t code = NewAreaCode(signature, static_cast<NewArea>(i));
        if (json) {
            std::printf("%s{\"area\":\"%s\",\"available\":%s", i ? "," : "", kNewAreaNames[i],
                        packet.ok() ? "true" : "false");
            if (packet.ok())
                std::printf(",\"packet_length\":%zu,\"area_code\":\"%02X%02X%02X%02X\",\"checksum\":\"%X\"",
                            packet.packet.bytes.size(), code & 0xFF, code >> 8 & 0xFF, code >> 16 & 0xFF,
                            code >> 24, packet.packet.checksum);
            std::printf("}");
        } else if (packet.ok()) {
            std::printf("  %-11s packet %7zu bytes, area code %02X %02X %02X %02X, checksum %X\n",
                        kNewAreaNames[i], packet.packet.bytes.size(), code & 0xFF, code >> 8 & 0xFF,
                        code >> 16 & 0xFF, code >> 24, packet.packet.checksum);
        } else {
            std::printf("  %-11s not in this image\n", kNewAreaNames[i]);
        }
    }
    if (json) std::printf("]}\n");
    return kExitOk;
}

int checkOld(const std::string& path, bool json) {
    const ImageFile file = ReadImageFile(path, 0x200000, false);
    if (file.status != ImageFile::Status::Ok && file.status != ImageFile::Status::ShortRead)
        return refuse(path, base::Message(base::kMsgFileOpenError), json);
    bool any = false;
    if (json) {
        std::printf("{\"ok\":true,\"series\":\"old\",\"size\":%llu,\"areas\":[",
                    static_cast<unsigned long long>(file.size));
    } else {
        std::printf("%s: older-series image, %llu bytes\n", path.c_str(),
                    static_cast<unsigned long long>(file.size));
    }
    for (int i = 0; i < kOldAreaCount; ++i) {
        const OldArea area = static_cast<OldArea>(i);
        const OldAreaInfo& info = OldAreaOf(area);
        const OldImageError error = CheckOldImage(file.bytes, area);
        any = any || error == OldImageError::None;
        const char* why = error == OldImageError::TooShort    ? "the file ends before the area"
                          : error == OldImageError::NoExtFont ? "no extended font (K15S)"
                                                              : "";
        const uint32_t blocks = (info.end - info.start + kOldBlockSize - 1) / kOldBlockSize;
        if (json) {
            std::printf("%s{\"area\":\"%s\",\"available\":%s,\"start\":\"%X\",\"end\":\"%X\",\"blocks\":%u",
                        i ? "," : "", kOldAreaNames[i], error == OldImageError::None ? "true" : "false",
                        info.start, info.end, blocks);
            if (*why) std::printf(",\"reason\":\"%s\"", why);
            std::printf("}");
        } else if (error == OldImageError::None) {
            std::printf("  %-8s %06X-%06X, %u blocks, erase code %02X %02X\n", kOldAreaNames[i], info.start,
                        info.end, blocks, info.eraseFirst, info.eraseEnd);
        } else {
            std::printf("  %-8s %06X-%06X: %s\n", kOldAreaNames[i], info.start, info.end, why);
        }
    }
    if (json) std::printf("]}\n");
    if (!any) {
        std::fprintf(stderr, "korva: %s: the file holds no whole area\n", path.c_str());
        return kExitBadInput;
    }
    return kExitOk;
}

int runCheck(const std::vector<std::string>& args) {
    std::string series;
    std::string path;
    bool json = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string value;
        bool missing = false;
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        } else if (arg == "--json") {
            json = true;
        } else if (TakeValue(args, i, "--series", value, missing)) {
            if (missing || (value != "new" && value != "old")) return usageError("--series takes new or old");
            series = value;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else if (!path.empty()) {
            return usageError("one file at a time");
        } else {
            path = arg;
        }
    }
    if (path.empty()) return usageError("no file given");
    if (series.empty()) {
        const std::string ext = lowerExtension(path);
        if (ext == ".k20") series = "new";
        else if (ext == ".bin") series = "old";
        else return usageError("the file name does not tell the series (.K20 or .bin); give --series");
    }
    return series == "new" ? checkNew(path, json) : checkOld(path, json);
}

const CommandRegistration kCheck{{
    {"firmware", "check"},
    "check a firmware image file without a printer",
    runCheck,
}};

}  // namespace
}  // namespace korva::cli

// korva firmware check: looks at a firmware image file the way the download
// does, without a printer: the newer series' size, signature and areas, or
// which areas of the older series the file covers.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/Messages.h"
#include "cli/Command.h"
#include "cli/InputFile.h"
#include "cli/InputKinds.h"
#include "cli/JsonReport.h"
#include "cli/RunReason.h"
#include "cli/Output.h"
#include "firmware/FirmwareTexts.h"
#include "firmware/ImageFile.h"
#include "firmware/NewImage.h"
#include "firmware/OldImage.h"

namespace korva::cli {
namespace {

using namespace korva::firmware;

constexpr const char* kNewAreaNames[kNewAreaCount] = {"program", "boot", "downloader", "font"};
constexpr const char* kOldAreaNames[kOldAreaCount] = {"program", "extfont", "boot", "font"};

std::string lowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return ext;
}

int refuse(const std::string& path, const std::string& text, bool) {
    SetReason(base::Reason::BadInput, Subject::File, path);
    Error(path + ": " + text);
    return kExitBadInput;
}

/// `path` names the file in messages; `copy` is where its bytes are read.
int checkNew(const std::string& path, const std::string& copy, bool json) {
    const ImageFile file = ReadImageFile(copy, kNewImageSize2M, true);
    if (file.status == ImageFile::Status::OpenFailed) return refuse(path, kTextFileOpen, json);
    if (!IsNewImageSize(file.size)) return refuse(path, kTextFileSizeNotCorrect, json);
    if (file.status != ImageFile::Status::Ok) return refuse(path, kTextFileSizeError, json);
    const NewSignature signature = ReadNewSignature(file.bytes);
    const int deviceType = signature == NewSignature::K20 ? 1 : 3;
    if (signature == NewSignature::None) return refuse(path, base::Message(base::kMsgNotFirmwareFile), json);

    QJsonArray areas;
    if (!json) {
        std::printf("%s: newer-series image, %llu bytes, signature %s (device type %d)\n", path.c_str(),
                    static_cast<unsigned long long>(file.size), NewSignatureText(signature), deviceType);
    }
    for (int i = 0; i < kNewAreaCount; ++i) {
        const NewPacketResult packet = BuildNewDownloadPacket(file.bytes, deviceType, static_cast<NewArea>(i));
        const uint32_t code = NewAreaCode(signature, static_cast<NewArea>(i));
        if (json) {
            QJsonObject entry{{"area", kNewAreaNames[i]}, {"available", packet.ok()}};
            if (packet.ok()) {
                char areaCode[16], checksum[16];
                std::snprintf(areaCode, sizeof areaCode, "%02X%02X%02X%02X", code & 0xFF, code >> 8 & 0xFF,
                              code >> 16 & 0xFF, code >> 24);
                std::snprintf(checksum, sizeof checksum, "%X", packet.packet.checksum);
                entry["packet_length"] = static_cast<qint64>(packet.packet.bytes.size());
                entry["area_code"] = areaCode;
                entry["checksum"] = checksum;
            }
            areas.append(entry);
        } else if (packet.ok()) {
            std::printf("  %-11s packet %7zu bytes, area code %02X %02X %02X %02X, checksum %X\n",
                        kNewAreaNames[i], packet.packet.bytes.size(), code & 0xFF, code >> 8 & 0xFF,
                        code >> 16 & 0xFF, code >> 24, packet.packet.checksum);
        } else {
            std::printf("  %-11s not in this image\n", kNewAreaNames[i]);
        }
    }
    JsonReport(Outcome::Done)
        .Set("series", "new")
        .Set("bytes", static_cast<long long>(file.size))
        .Set("signature", NewSignatureText(signature))
        .Set("device_type", deviceType)
        .Set("ext_font", HasExtFont(file.bytes))
        .Set("areas", areas)
        .Print();
    return kExitOk;
}

int CheckOld(const std::string& path, const std::string& copy, bool json) {
    const ImageFile file = ReadImageFile(copy, 0x200000, false);
    if (file.status != ImageFile::Status::Ok && file.status != ImageFile::Status::ShortRead)
        return refuse(path, base::Message(base::kMsgFileOpenError), json);
    bool any = false;
    QJsonArray areas;
    if (!json) {
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
            char start[16], end[16];
            std::snprintf(start, sizeof start, "%X", info.start);
            std::snprintf(end, sizeof end, "%X", info.end);
            QJsonObject entry{{"area", kOldAreaNames[i]},
                              {"available", error == OldImageError::None},
                              {"start", start},
                              {"end", end},
                              {"blocks", static_cast<qint64>(blocks)}};
            if (*why) entry["reason"] = why;
            areas.append(entry);
        } else if (error == OldImageError::None) {
            std::printf("  %-8s %06X-%06X, %u blocks, erase code %02X %02X\n", kOldAreaNames[i], info.start,
                        info.end, blocks, info.eraseFirst, info.eraseEnd);
        } else {
            std::printf("  %-8s %06X-%06X: %s\n", kOldAreaNames[i], info.start, info.end, why);
        }
    }
    if (!any) return refuse(path, "the file holds no whole area", json);
    JsonReport(Outcome::Done)
        .Set("series", "old")
        .Set("bytes", static_cast<long long>(file.size))
        .Set("areas", areas)
        .Print();
    return kExitOk;
}

int RunCheck(const ParsedOptions& options) {
    const std::vector<std::string>& operands = options.Operands();
    if (operands.size() > 1) return UsageError("one file at a time");
    if (operands.empty()) return UsageError("no file given");
    const std::string& path = operands[0];
    std::string series = options.Get("series");
    if (!series.empty() && series != "new" && series != "old")
        return UsageError("--series takes new or old");
    if (series.empty()) {
        const std::string ext = lowerExtension(path);
        if (ext == ".k20") series = "new";
        else if (ext == ".bin") series = "old";
        else return UsageError("the file name does not tell the series (.K20 or .bin); give --series");
    }
    InputFile input;
    if (!input.Read(path, FirmwareInput())) return kExitBadInput;
    const std::string copy = input.Path();
    if (copy.empty()) return kExitBadInput;
    return series == "new" ? checkNew(input.Name(), copy, Mode().json)
                           : CheckOld(input.Name(), copy, Mode().json);
}

const CommandRegistration kCheck{{
    {"firmware", "check"},
    "check a firmware image file without a printer",
    "FILE [--series new|old]",
    "Checks a firmware image file as the download would, without a printer.",
    {{"series", 0, "new|old", "newer series (KORVA20, KORVA20II: .K20 files) or older\n"
                              "series (KORVA10: .bin files); by default the file's\n"
                              "extension tells"}},
    RunCheck,
}};

}  // namespace
}  // namespace korva::cli

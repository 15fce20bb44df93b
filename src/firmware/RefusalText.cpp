#include "firmware/RefusalText.h"

#include "port/DeviceType.h"
#include "printer/Series.h"

namespace korva::firmware {

const char* NewSeriesName(int deviceType) {
    return printer::NewerSeriesName(deviceType).data();
}

std::string NewImageMismatch(std::span<const uint8_t> image, int deviceType) {
    const NewSignature signature = ReadNewSignature(image);
    if (signature == NewSignature::None)
        return "carries no firmware signature (K20, K22, K23 or K24 at 0FFFFC); it is no "
               "firmware image for KORVA20 or KORVA20II printers";
    // An image fits one series only: the other one is the one it was made for.
    const int imageType = SignatureFitsDeviceType(signature, port::kDeviceTypeKorva20)
                              ? port::kDeviceTypeKorva20
                              : port::kDeviceTypeKorva20II;
    return std::string("is a ") + NewSignatureText(signature) + " image for " + NewSeriesName(imageType) +
           " printers, but the model is a " + NewSeriesName(deviceType);
}

std::string NewImageSizeMismatch(uint64_t size) {
    return "the file has " + std::to_string(size) + " bytes; an image has exactly " +
           std::to_string(kNewImageSize1M) + " (1 MiB) or " + std::to_string(kNewImageSize2M) +
           " (2 MiB)";
}

const char* OldAreaName(OldArea area) {
    switch (area) {
        case OldArea::Program: return "program";
        case OldArea::ExtFont: return "extended font";
        case OldArea::Boot: return "boot";
        case OldArea::Font: return "font";
    }
    return "program";
}

std::string OldStopText(const std::string& areaName, OldErase erase) {
    switch (erase) {
        case OldErase::NotSent: return "nothing was sent, the printer is unchanged";
        case OldErase::Unconfirmed:
            return "the erase request was sent but never answered; the " + areaName +
                   " area may be erased and the printer may not start until a download completes";
        case OldErase::Erased: break;
    }
    return areaName + " area erased; the printer will not start until a download completes";
}

}  // namespace korva::firmware

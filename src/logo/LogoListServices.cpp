#include "logo/LogoListServices.h"

#include "base/ErrorLog.h"
#include "base/MessageBox.h"
#include "base/Messages.h"
#include "logo/LogoFile.h"

namespace korva::logo {

LogoFileInfo ProbeLogoFileInfo(const std::string& path, const ImageSizeCheck& check) {
    const BitmapDecodeResult result = ProbeLogoFile(path, check);
    LogoFileInfo info;
    info.error = result.error;
    info.width = result.bitmap.width;
    info.height = result.bitmap.height;
    info.bitsPerPixel = result.bitmap.bitsPerPixel;
    return info;
}

std::string WideLogoNote(const LogoList& list, int maxPrintableWidth) {
    std::string lines;
    for (size_t i : list.UploadOrder()) {
        const LogoEntry& entry = list.entries[i];
        const LogoFileInfo info = ProbeLogoFileInfo(entry.path);
        if (!info.ok() || info.width <= maxPrintableWidth) continue;
        lines += "\r\n  logo " + std::to_string(entry.NumberValue()) + ": " + entry.name + ", " +
                 std::to_string(info.width) + " dots";
    }
    if (lines.empty()) return lines;
    return "\r\n\r\nWider than the printable width of " + std::to_string(maxPrintableWidth) +
           " dots, the printer cuts:" + lines;
}

void ShowLogoNotice(int message, LogoNoticeIcon icon, const std::string& detail) {
    if (!detail.empty()) base::ErrorLog().Log("Logo list: %s", detail.c_str());
    if (message == kNoLogoMessage) return;
    std::string text = base::Message(message);
    if (!detail.empty()) text += "\r\n\r\n" + detail;
    // The message box has no stop icon of its own; the exclamation stands in.
    base::ShowMessage(text, icon == LogoNoticeIcon::None ? base::MsgStyle::Ok : base::MsgStyle::OkExclamation);
}

LogoListEditor MakeLogoListEditor(LogoList& list, const LogoOptions& options) {
    return LogoListEditor(list, options, &ProbeLogoFileInfo, &ShowLogoNotice);
}

}  // namespace korva::logo

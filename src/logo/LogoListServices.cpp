#include "logo/LogoListServices.h"

#include "base/MessageBox.h"
#include "base/Messages.h"
#include "logo/LogoFile.h"

namespace korva::logo {

LogoFileInfo ProbeLogoFileInfo(const std::string& path) {
    const BitmapDecodeResult result = ProbeLogoFile(path);
    LogoFileInfo info;
    info.error = result.error;
    info.width = result.bitmap.width;
    info.height = result.bitmap.height;
    info.bitsPerPixel = result.bitmap.bitsPerPixel;
    return info;
}

void ShowLogoNotice(int message, LogoNoticeIcon icon) {
    // The message box has no stop icon of its own; the exclamation stands in.
    base::ShowMessage(base::Message(message), icon == LogoNoticeIcon::None
                                                ? base::MsgStyle::Ok
                                                : base::MsgStyle::OkExclamation);
}

LogoListEditor MakeLogoListEditor(LogoList& list, const LogoOptions& options) {
    return LogoListEditor(list, options, &ProbeLogoFileInfo, &ShowLogoNotice);
}

}  // namespace korva::logo

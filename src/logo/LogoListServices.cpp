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

LogoNotify LogoNoticeBatch::Notifier() {
    return [this](int message, LogoNoticeIcon icon, const std::string& detail) {
        if (!detail.empty()) base::ErrorLog().Log("Logo list: %s", detail.c_str());
        if (m_Details.empty()) {
            m_Message = message;
            m_Icon = icon;
        }
        m_Details.push_back(detail);
    };
}

void LogoNoticeBatch::Show() {
    if (m_Details.empty()) return;
    // A refusal after the first has no text of its own in the table.
    std::string text = m_Message != kNoLogoMessage ? base::Message(m_Message)
                       : m_Details.size() == 1     ? "A picture was not added to the list:"
                                                   : "These pictures were not added to the list:";
    text += "\r\n";
    for (const std::string& detail : m_Details)
        if (!detail.empty()) text += "\r\n" + detail;
    const base::MsgStyle style = m_Icon == LogoNoticeIcon::None ? base::MsgStyle::Ok : base::MsgStyle::OkExclamation;
    m_Details.clear();
    m_Message = kNoLogoMessage;
    m_Icon = LogoNoticeIcon::None;
    base::ShowMessage(text, style);
}

LogoListEditor MakeLogoListEditor(LogoList& list, const LogoOptions& options) {
    return LogoListEditor(list, options, &ProbeLogoFileInfo, &ShowLogoNotice);
}

}  // namespace korva::logo

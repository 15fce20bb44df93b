#pragma once
// The logo list's links to the outside: files read from disk and messages
// shown through the message-box seam.
#include <string>
#include <vector>

#include "logo/LogoListEditor.h"

namespace korva::logo {

/// Reads and decodes a file for the list; with `check`, a picture's header
/// size is checked before its pixels are decoded.
LogoFileInfo ProbeLogoFileInfo(const std::string& path, const ImageSizeCheck& check = {});

/// Writes a refusal's detail to the error log and shows the message-table
/// text (when there is one) through korva::base::ShowMessage, the detail under it.
void ShowLogoNotice(int message, LogoNoticeIcon icon, const std::string& detail);

/// Gathers the refusals of one action (a pick, a reading of the profile) and
/// tells them in one box when the action is over: the first refusal's
/// message-table text, then each file and why. None is left untold; each goes
/// to the error log as it comes.
class LogoNoticeBatch {
  public:
    LogoNotify Notifier();
    /// Shows the box, if anything was refused since the last one.
    void Show();

  private:
    int m_Message = kNoLogoMessage;
    LogoNoticeIcon m_Icon = LogoNoticeIcon::None;
    std::vector<std::string> m_Details;
};

/// The lines the upload question adds for logos wider than `maxPrintableWidth`
/// dots, which the printer cuts; empty when every logo fits.
std::string WideLogoNote(const LogoList& list, int maxPrintableWidth);

/// An editor reading real files and showing real messages.
LogoListEditor MakeLogoListEditor(LogoList& list, const LogoOptions& options);

}  // namespace korva::logo

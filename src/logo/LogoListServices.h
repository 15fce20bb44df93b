#pragma once
// The logo list's links to the outside: files read from disk and messages
// shown through the message-box seam.
#include <string>

#include "logo/LogoListEditor.h"

namespace korva::logo {

/// Reads and decodes a file for the list; with `check`, a picture's header
/// size is checked before its pixels are decoded.
LogoFileInfo ProbeLogoFileInfo(const std::string& path, const ImageSizeCheck& check = {});

/// Writes a refusal's detail to the error log and shows the message-table
/// text (when there is one) through korva::base::ShowMessage, the detail under it.
void ShowLogoNotice(int message, LogoNoticeIcon icon, const std::string& detail);

/// The lines the upload question adds for logos wider than `maxPrintableWidth`
/// dots, which the printer cuts; empty when every logo fits.
std::string WideLogoNote(const LogoList& list, int maxPrintableWidth);

/// An editor reading real files and showing real messages.
LogoListEditor MakeLogoListEditor(LogoList& list, const LogoOptions& options);

}  // namespace korva::logo

#pragma once
// The logo list's links to the outside: files read from disk and messages
// shown through the message-box seam.
#include <string>

#include "logo/LogoListEditor.h"

namespace korva::logo {

/// Reads and decodes a file for the list.
LogoFileInfo ProbeLogoFileInfo(const std::string& path);

/// Shows a message-table text through korva::base::ShowMessage.
void ShowLogoNotice(int message, LogoNoticeIcon icon);

/// The lines the upload question adds for logos wider than `maxPrintableWidth`
/// dots, which the printer cuts; empty when every logo fits.
std::string WideLogoNote(const LogoList& list, int maxPrintableWidth);

/// An editor reading real files and showing real messages.
LogoListEditor MakeLogoListEditor(LogoList& list, const LogoOptions& options);

}  // namespace korva::logo

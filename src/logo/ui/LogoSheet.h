#pragma once

class QWidget;

namespace korva::logo::ui {

struct LogoToolContext;
class CMyProperty;

/// Builds the logo sheet with its five pages in order (selection, preview,
/// upload, printing, setup), opening on Setup; F1 shows the help page of
/// the page in view. The caller runs it.
CMyProperty* BuildLogoSheet(LogoToolContext& context, QWidget* parent);

/// The "&Logo Download" action: reads the list from the profile, runs the
/// sheet modally, and empties the list afterwards so the next opening starts
/// from the profile again.
void RunLogoTool(LogoToolContext& context, QWidget* parent);

}  // namespace korva::logo::ui

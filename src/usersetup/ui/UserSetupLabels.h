#pragma once
// The texts of the user setup dialog that change on a Korean system.
#include <QString>

namespace korva::usersetup::ui {

enum LabelId {
    kLabelHeading,
    kLabelPaperWidth,
    kLabelPaperType,
    kLabelWaterMark,
    kLabelCutAdjust,
    kLabelDrawerWithCut,
    kLabelBell,
    kLabelCodePage,
    kLabelNvGraphic,
    kLabelNvUser,
    kLabelCutMode,
    kLabelSpeed,
    kLabelMargin,
    kLabelSelfTestDrawer,
    kLabelReceiveBuffer,
    kLabelStopBits,
    kLabelSetupCode,
    kLabelGetValue,
    kLabelSetValue,
    kLabelExit,
    kLabelTest,
    kLabelDefault,
    kLabelCount,
};

/// The English text (a doubled "&&" shows as one ampersand in a caption).
QString Label(LabelId id);
/// The Korean text; the English one where the dialog keeps it.
QString KoreanLabel(LabelId id);

}  // namespace korva::usersetup::ui

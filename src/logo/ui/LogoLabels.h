#pragma once
#include <QString>

class QAbstractButton;
class QGroupBox;
class QLabel;
class QWidget;

namespace korva::logo::ui {

/// The pages of the logo sheet; one label can read differently per page
/// ("&Bitmap List" is "이미지 목록" on the upload page only).
enum class LabelPage { Selection, Preview, Upload, Print, Setup };

/// True on a Korean system: the pages then show their Korean labels.
bool UseKoreanLabels();

/// The label a control shows: the Korean text of that page's table on a
/// Korean system, with the English mnemonic in the Korean way ("비트맵
/// 목록(&B)"), else the English text unchanged.
QString PageLabel(LabelPage page, const char* english);

/// A page's tab text: its Korean name on a Korean system, else `english`.
QString TabLabel(const QString& english);

/// Sets the control's text from `PageLabel`: Alt+<the English letter>
/// reaches the control on both systems.
void SetLabel(QAbstractButton* button, LabelPage page, const char* english);
void SetLabel(QGroupBox* box, LabelPage page, const char* english);
/// A label and the control it names: the control becomes the label's buddy
/// and carries the label's text as its accessible name.
void SetLabel(QLabel* label, LabelPage page, const char* english, QWidget* buddy = nullptr);

/// "&Open File..." -> "Open File...", "삭제(&M)" -> "삭제": the text a screen reader announces.
QString StripMnemonic(const QString& text);

}  // namespace korva::logo::ui

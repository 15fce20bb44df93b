#pragma once
// Four-number IP address fields: every keystroke is kept; what cannot be an
// address (a letter, a fifth number, a number above 255) is marked with a red
// frame and a tooltip naming the cause, never dropped silently.
#include <QString>

class QLineEdit;
class QWidget;

namespace korva::ui {

/// A line edit that takes dotted addresses only.
QLineEdit* MakeIpField(QWidget* parent);

/// A field for two hexadecimal digits, shown upper-case.
QLineEdit* MakeHexPairField(QWidget* parent);

}  // namespace korva::ui

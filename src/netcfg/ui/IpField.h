#pragma once
// Four-number IP address fields: typing is limited to at most four numbers of
// up to three digits, a number above 255 is marked (red frame, tooltip) rather
// than dropped, and a blank number reads as 0, as in an IP address control.
#include <QString>

class QLineEdit;
class QWidget;

namespace korva::netcfg::ui {

/// A line edit that takes dotted addresses only.
QLineEdit* MakeIpField(QWidget* parent);

/// The field's address as four dotted numbers, blanks and missing numbers as 0
/// ("192.168." reads "192.168.0.0").
QString DottedText(const QLineEdit* field);

/// A field for two hexadecimal digits, shown upper-case.
QLineEdit* MakeHexPairField(QWidget* parent);

}  // namespace korva::netcfg::ui

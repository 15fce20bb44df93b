#pragma once
#include <QString>
#include <optional>

class QCoreApplication;

namespace korva::ui {

/// True when dialogs show their Korean labels: the system locale is Korean
/// (messages and titles stay English whatever this says).
bool UseKoreanLabels();

/// Tests (and a user who wants the other language) fix the answer;
/// std::nullopt returns to the system locale.
void SetKoreanLabelsOverride(std::optional<bool> korean);

/// With Korean labels, Qt's own texts (Yes, No, Cancel, Close, Apply, the
/// file dialog) come from Qt's Korean translation, where it is installed
/// (Debian: qt6-translations-l10n). False when none was loaded.
bool InstallQtTranslation(QCoreApplication& app);

/// A Korean label with the English label's mnemonic in the Korean way:
/// ("&Device", "장치") -> "장치(&D)". Without a mnemonic, or with one of
/// its own, the Korean text stays as it is.
QString KoreanMnemonic(const char* english, const QString& korean);

/// A label's text for screen readers: "&Open File..." -> "Open File...",
/// "장치(&D)" -> "장치".
QString StripMnemonic(const QString& text);

}  // namespace korva::ui

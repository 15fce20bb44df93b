#pragma once
// Settings as `korva setup read --json` prints them, read back: the NAME:VALUE
// pairs of its "settings" object ({"settings":{...}}, with or without the rest).
#include <QByteArray>
#include <string>
#include <utility>
#include <vector>

namespace korva::usersetup {

struct SettingTexts {
    /// In the object's order; numeric settings as their decimal text, a
    /// numeric setup code as its hexadecimal text.
    std::vector<std::pair<std::string, std::string>> settings;
    std::string error;  ///< why the text was refused; "" when it was read
};

SettingTexts ReadSettingsJson(const QByteArray& json);

}  // namespace korva::usersetup

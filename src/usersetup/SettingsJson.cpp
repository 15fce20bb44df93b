#include "usersetup/SettingsJson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace korva::usersetup {

SettingTexts ReadSettingsJson(const QByteArray& json) {
    SettingTexts out;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    const QJsonValue settings = document.object().value(QStringLiteral("settings"));
    if (error.error != QJsonParseError::NoError || !settings.isObject()) {
        out.error = "not the JSON of 'korva setup read --json' (no \"settings\" object)";
        return out;
    }
    const QJsonObject object = settings.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        // Numeric settings come as numbers, the others as their words.
        const bool whole = it.value().isDouble() && it.value().toDouble() == it.value().toInteger();
        if (!it.value().isString() && !whole) {
            out.error = "the value of " + it.key().toStdString() +
                        " is neither a text nor a whole number";
            out.settings.clear();
            return out;
        }
        std::string text = whole ? std::to_string(it.value().toInteger())
                                 : it.value().toString().toStdString();
        if (whole && it.key() == QStringLiteral("setup-code")) {
            // The setup code is printed as the number its hexadecimal text
            // stands for; files saved before that hold the text, read as it is.
            const qint64 code = it.value().toInteger();
            if (code < 0 || code > 0xFFFFFFFF) {
                out.error = "the setup-code " + text + " is not a setup code (0..4294967295)";
                out.settings.clear();
                return out;
            }
            char hex[9];
            std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(code));
            text = hex;
        }
        out.settings.emplace_back(it.key().toStdString(), std::move(text));
    }
    return out;
}

}  // namespace korva::usersetup

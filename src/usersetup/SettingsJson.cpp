#include "usersetup/SettingsJson.h"

#include <QJsonDocument>
#include <QJsonObject>

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
        out.settings.emplace_back(it.key().toStdString(),
                                  whole ? std::to_string(it.value().toInteger())
                                        : it.value().toString().toStdString());
    }
    return out;
}

}  // namespace korva::usersetup

#include "usersetup/SettingsFile.h"

#include <QByteArray>

#include "usersetup/SettingsJson.h"

namespace korva::usersetup {

SettingsFileResult ReadSettingsFile(std::span<const uint8_t> file) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()),
                                                     static_cast<qsizetype>(file.size()));
    SettingsFileResult result;
    // An empty file is most often the output of a read that failed: say so,
    // rather than treat it as no settings given.
    if (bytes.trimmed().isEmpty()) {
        result.error = "is empty: it holds no NAME=VALUE line (did the command writing it fail?)";
        return result;
    }
    if (bytes.trimmed().startsWith('{')) {
        SettingTexts read = ReadSettingsJson(bytes);
        result.error = std::move(read.error);
        if (result.error.empty()) result.changes = std::move(read.settings);
        if (result.error.empty() && result.changes.empty())
            result.error = "holds no settings (its \"settings\" are empty)";
        return result;
    }
    int lineNumber = 0;
    for (const QByteArray& raw : bytes.split('\n')) {
        ++lineNumber;
        const std::string line = raw.trimmed().toStdString();
        if (line.empty() || line[0] == '#') continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) {
            result.changes.clear();
            result.error = "line " + std::to_string(lineNumber) +
                           " is not NAME=VALUE (nor is the file the JSON of 'korva setup read --json')";
            return result;
        }
        result.changes.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    if (result.changes.empty()) result.error = "holds no NAME=VALUE line, only comments";
    return result;
}

}  // namespace korva::usersetup

#include "logo/ui/HelpTopic.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace korva::logo::ui {

QString HelpTopicFile(const QString& topic) {
    QString name = topic.trimmed();
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    if (name.isEmpty() || name.contains(QLatin1Char('/'))) return {};
    const QString file = QStringLiteral("help/") + name + QStringLiteral(".html");
    for (const QString& base : {QCoreApplication::applicationDirPath(), QDir::currentPath()}) {
        const QFileInfo info(QDir(base).filePath(file));
        if (info.isFile()) return info.absoluteFilePath();
    }
    return {};
}

bool OpenHelpTopic(const QString& topic) {
    const QString file = HelpTopicFile(topic);
    return !file.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

}  // namespace korva::logo::ui

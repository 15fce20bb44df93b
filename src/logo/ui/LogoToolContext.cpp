#include "logo/ui/LogoToolContext.h"

#include <QFile>
#include <QFileDialog>
#include <QImageReader>
#include <QStringList>

#include "logo/LogoListEditor.h"
#include "logo/LogoListServices.h"
#include "port/Ports.h"

namespace korva::logo::ui {

QStringList LogoFileFilters() {
    QStringList patterns = {QStringLiteral("*.bmp")};
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString pattern = QStringLiteral("*.") + QString::fromLatin1(format).toLower();
        if (!patterns.contains(pattern)) patterns.append(pattern);
    }
    return {QStringLiteral("Image files (%1)").arg(patterns.join(QLatin1Char(' '))),
            QStringLiteral("Bitmap files (*.bmp)")};
}

std::vector<std::string> PickBitmapFiles(QWidget* parent, const std::string& start) {
    QFileDialog dialog(parent, QString(), QString::fromStdString(start));
    dialog.setNameFilters(LogoFileFilters());
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    std::vector<std::string> picked;
    if (dialog.exec() != QDialog::Accepted) return picked;
    for (const QString& file : dialog.selectedFiles()) picked.push_back(QFile::encodeName(file).toStdString());
    return picked;
}

std::unique_ptr<LogoListEditor> MakeListEditor(LogoToolContext& context) {
    return std::make_unique<LogoListEditor>(context.list, context.options, ProbeLogoFileInfo, ShowLogoNotice);
}

port::PortKind LogoToolContext::Kind() const { return port::ClassifyPort(ports.m_PortName); }

port::ByteStream& LogoToolContext::Stream() const {
    if (Kind() == port::PortKind::Ethernet && ethernet) return *ethernet;
    return ports;
}

}  // namespace korva::logo::ui

#include "logo/ui/LogoToolContext.h"

#include <QImageReader>

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

std::unique_ptr<LogoListEditor> MakeListEditor(LogoToolContext& context) {
    return std::make_unique<LogoListEditor>(context.list, context.options, ProbeLogoFileInfo, ShowLogoNotice);
}

port::PortKind LogoToolContext::Kind() const { return port::ClassifyPort(ports.m_PortName); }

port::ByteStream& LogoToolContext::Stream() const {
    if (Kind() == port::PortKind::Ethernet && ethernet) return *ethernet;
    return ports;
}

}  // namespace korva::logo::ui

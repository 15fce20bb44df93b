#include "logo/ui/LogoToolContext.h"

#include <QImageReader>

#include "logo/ImageDecode.h"
#include "logo/LogoListEditor.h"
#include "logo/LogoListServices.h"
#include "port/PortPath.h"
#include "port/Ports.h"

namespace korva::logo::ui {

namespace {

// Qt names TGA among the formats it reads, but its reader may refuse the TGA
// files common tools write (rows from the bottom up, a TGA 2.0 footer). One
// such 1 x 1 file, named as a TGA, is read before TGA is offered.
bool ReadsTga() {
    static const bool reads = [] {
        std::vector<uint8_t> tga = {0, 0, 2,           // no id, no colour map, true colour
                                    0, 0, 0, 0, 0,     // colour map: first entry, length, entry size (none)
                                    0, 0, 0, 0,        // origin
                                    1, 0, 1, 0,        // 1 x 1 pixels
                                    24, 0,             // 24 bits, rows from the bottom
                                    0x20, 0x40, 0x60};  // the pixel: blue, green, red
        const char footer[] = "\0\0\0\0\0\0\0\0TRUEVISION-XFILE.";
        tga.insert(tga.end(), footer, footer + sizeof footer);  // with its final NUL
        return DecodeImageFile(tga, "tga").ok();
    }();
    return reads;
}

}  // namespace

QStringList LogoFileFilters() {
    QStringList patterns = {QStringLiteral("*.bmp")};
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        if (format == "tga" && !ReadsTga()) continue;
        const QString pattern = QStringLiteral("*.") + QString::fromLatin1(format).toLower();
        if (!patterns.contains(pattern)) patterns.append(pattern);
    }
    return {QStringLiteral("Image files (%1)").arg(patterns.join(QLatin1Char(' '))),
            QStringLiteral("Bitmap files (*.bmp)")};
}

std::unique_ptr<LogoListEditor> MakeListEditor(LogoToolContext& context, LogoNoticeBatch& notices) {
    return std::make_unique<LogoListEditor>(context.list, context.options, ProbeLogoFileInfo, notices.Notifier());
}

port::PortKind LogoToolContext::Kind() const { return port::ClassifyPortPath(ports.m_PortName, ports.Roots().sys); }

port::ByteStream& LogoToolContext::Stream() const {
    if (Kind() == port::PortKind::Ethernet && ethernet) return *ethernet;
    return ports;
}

}  // namespace korva::logo::ui

#include "PaperRenderer.h"

#include <QFileInfo>
#include <QFont>
#include <QPainter>
#include <QSaveFile>
#include <algorithm>

namespace korva::sim {
namespace {

int ScaleX(int size) { return (size & 1) ? 2 : 1; }  // 1 and 3 double the width
int ScaleY(int size) { return (size & 2) ? 2 : 1; }  // 2 and 3 double the height

int ItemHeight(const PaperItem& item) {
    switch (item.kind) {
        case PaperItem::Kind::Text:
            return PaperRenderer::kTextLineHeight;
        case PaperItem::Kind::Logo:
            return item.logo.heightDots * ScaleY(item.size);
        case PaperItem::Kind::Cut:
            return PaperRenderer::kCutHeight;
    }
    return 0;
}

void DrawLogo(QImage& image, const PaperItem& item, int top) {
    const int sx = ScaleX(item.size), sy = ScaleY(item.size);
    for (int y = 0; y < item.logo.heightDots && top + y * sy < image.height(); ++y) {
        for (int x = 0; x < item.logo.widthDots; ++x) {
            int darkness = item.logo.DarknessAt(x, y);
            if (darkness == 0) continue;
            const int level = 255 - darkness * 51;  // 5 steps from white to black
            const QRgb colour = qRgb(level, level, level);
            for (int dy = 0; dy < sy; ++dy)
                for (int dx = 0; dx < sx; ++dx) {
                    long px = long(item.leftMargin) + x * sx + dx, py = long(top) + y * sy + dy;
                    if (px < image.width() && py < image.height())
                        image.setPixel(int(px), int(py), colour);
                }
        }
    }
}

void DrawText(QPainter& painter, const PaperItem& item, int top) {
    QFont font(QStringLiteral("Monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(PaperRenderer::kTextLineHeight - 6);
    painter.setFont(font);
    int x = item.leftMargin;
    for (const PaperItem::Span& span : item.spans) {
        QString text = QString::fromLatin1(span.text.data(), qsizetype(span.text.size()));
        painter.setPen(span.colour == 2 ? QColor(200, 0, 0) : QColor(Qt::black));
        QRect bounds(x, top, 100000, PaperRenderer::kTextLineHeight);
        painter.drawText(bounds, Qt::AlignLeft | Qt::AlignVCenter, text);
        x += painter.fontMetrics().horizontalAdvance(text);
    }
}

}  // namespace

QImage PaperRenderer::Draw(const std::vector<PaperItem>& items) {
    long long width = kRollWidth, height = 2 * kTopMargin;
    for (const PaperItem& item : items) {
        height += ItemHeight(item);
        if (item.kind == PaperItem::Kind::Logo)
            width = std::max<long long>(width,
                                        item.leftMargin + item.logo.widthDots * ScaleX(item.size));
    }
    QImage image(int(std::min<long long>(width, kMaxWidth)),
                 int(std::min<long long>(height, kMaxHeight)), QImage::Format_RGB32);
    image.fill(Qt::white);
    int top = kTopMargin;
    for (const PaperItem& item : items) {
        if (top >= image.height()) break;
        if (item.kind == PaperItem::Kind::Logo) {
            DrawLogo(image, item, top);
        } else {
            QPainter painter(&image);
            if (item.kind == PaperItem::Kind::Text) {
                DrawText(painter, item, top);
            } else {
                painter.setPen(QPen(Qt::gray, 1, Qt::DashLine));
                painter.drawLine(0, top + kCutHeight / 2, image.width(), top + kCutHeight / 2);
            }
        }
        top += ItemHeight(item);
    }
    return image;
}

bool PaperRenderer::Render(const std::vector<PaperItem>& items) const {
    QSaveFile file(m_Path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    // The file name's suffix picks the format: PNG normally, PGM or BMP also work.
    QByteArray format = QFileInfo(m_Path).suffix().toLower().toLatin1();
    if (format.isEmpty()) format = "png";
    if (!Draw(items).save(&file, format.constData())) return false;
    return file.commit();
}

}  // namespace korva::sim

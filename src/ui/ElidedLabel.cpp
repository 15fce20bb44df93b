#include "ui/ElidedLabel.h"

#include <QFontMetrics>
#include <QStringList>

namespace {
/// Between the model and the port in a connection label.
const QString kModelSeparator = QStringLiteral(" - ");
}  // namespace

namespace korva::ui {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setMinimumWidth(fontMetrics().averageCharWidth() * 12);
}

void ElidedLabel::SetFullText(const QString& text) {
    m_FullText = text;
    setAccessibleDescription(text);
    Elide();
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

// Each line is shortened on its own, so a long port name in the first line of
// a serial connection never hides the line settings below it. A line that
// does not fit loses the start of its path: "KORVA20 - …/ttyUSB0" keeps the
// model and the device's own name.
void ElidedLabel::Elide() {
    const int width = contentsRect().width();
    const QFontMetrics metrics = fontMetrics();
    const QString full = QString(m_FullText).remove(QLatin1Char('\r'));
    QStringList lines = full.split(QLatin1Char('\n'));
    bool shortened = false;
    for (QString& line : lines) {
        if (metrics.horizontalAdvance(line) <= width) continue;
        shortened = true;
        const qsizetype dash = line.indexOf(kModelSeparator);
        const QString model = dash < 0 ? QString() : line.left(dash + kModelSeparator.size());
        const int modelWidth = metrics.horizontalAdvance(model);
        if (dash >= 0 && modelWidth < width / 2)
            line = model + metrics.elidedText(line.mid(model.size()), Qt::ElideLeft, width - modelWidth);
        else
            line = metrics.elidedText(line, Qt::ElideLeft, width);
    }
    setText(lines.join(QLatin1Char('\n')));
    setToolTip(shortened ? full : QString());
}

}  // namespace korva::ui

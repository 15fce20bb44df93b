#include "logo/ui/ElidedLabel.h"

#include <QFontMetrics>
#include <QStringList>

namespace korva::logo::ui {

CElidedLabel::CElidedLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setMinimumWidth(fontMetrics().averageCharWidth() * 12);
}

void CElidedLabel::SetFullText(const QString& text) {
    m_FullText = text;
    setAccessibleDescription(text);
    Elide();
}

void CElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

// Each line is shortened on its own, so a long port name in the first line of
// a serial connection never hides the line settings below it.
void CElidedLabel::Elide() {
    const int width = contentsRect().width();
    const QString full = QString(m_FullText).remove(QLatin1Char('\r'));
    QStringList lines = full.split(QLatin1Char('\n'));
    bool shortened = false;
    for (QString& line : lines) {
        const QString shown = fontMetrics().elidedText(line, Qt::ElideMiddle, width);
        shortened = shortened || shown != line;
        line = shown;
    }
    setText(lines.join(QLatin1Char('\n')));
    setToolTip(shortened ? full : QString());
}

}  // namespace korva::logo::ui

#include "logo/ui/ElidedLabel.h"

#include <QFontMetrics>

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

void CElidedLabel::Elide() {
    const int width = contentsRect().width();
    const QString shown = fontMetrics().elidedText(m_FullText, Qt::ElideMiddle, width);
    setText(shown);
    setToolTip(shown == m_FullText ? QString() : m_FullText);
}

}  // namespace korva::logo::ui

#include "ui/ElidedLineEdit.h"

#include <QEvent>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionFrame>

namespace korva::ui {

namespace {
/// The gap QLineEdit keeps on each side of its text, inside its contents.
constexpr int kTextGap = 2;
}  // namespace

// A line edit's size hint does not follow its text, so a long path never widens the page.
ElidedLineEdit::ElidedLineEdit(QWidget* parent) : QLineEdit(parent) { setReadOnly(true); }

void ElidedLineEdit::SetFullText(const QString& text) {
    m_FullText = text;
    setAccessibleDescription(text);
    Elide();
}

void ElidedLineEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    Elide();
}

void ElidedLineEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) Elide();
}

void ElidedLineEdit::Elide() {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const QMargins margins = textMargins();
    const int width = contents.width() - margins.left() - margins.right() - 2 * kTextGap;
    const QFontMetrics metrics = fontMetrics();
    const bool fits = metrics.horizontalAdvance(m_FullText) <= width;
    setText(fits ? m_FullText : metrics.elidedText(m_FullText, Qt::ElideLeft, width));
    setCursorPosition(0);
    setToolTip(fits ? QString() : m_FullText);
}

}  // namespace korva::ui

#include "logo/ui/Progress.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace korva::logo::ui {

CProgress::CProgress(const QString& title, const QString& status, QWidget* parent)
    : QDialog(parent),
      m_FullStatus(status),
      m_Status(new QLabel(status, this)),
      m_Bar(new QProgressBar(this)),
      m_Cancel(new QPushButton(QCoreApplication::translate("QPlatformTheme", "Cancel"), this)) {
    setWindowTitle(title);
    setModal(true);
    // Room for the largest counts and a file name of about 60 characters.
    m_Status->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Updating(393216/393216)...")) +
                              fontMetrics().horizontalAdvance(QString(60, QLatin1Char('0'))));
    // A long file name must not stretch the window: it gives way in its middle.
    // Other statuses (the countdown after a cancel is a sentence) wrap.
    m_Status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_Status->setWordWrap(true);
    m_Status->setAccessibleName(QStringLiteral("Status"));
    m_Bar->setAccessibleName(title);
    m_Bar->setRange(0, 0);
    m_Bar->setTextVisible(false);
    m_Cancel->setDefault(true);
    connect(m_Cancel, &QPushButton::clicked, this, &CProgress::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_Cancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Status);
    layout->addWidget(m_Bar);
    layout->addLayout(buttons);
}

void CProgress::SetStatus(const QString& status) {
    // After Cancel, one more piece reported sent would read as if the transfer
    // went on: "Cancelling..." stays until the operation says how it ends.
    if (m_CancelRequested &&
        (status.startsWith(QStringLiteral("Updating(")) || status.startsWith(QStringLiteral("Printing..."))))
        return;
    m_FullStatus = status;
    ShowStatus();
}

void CProgress::ShowStatus() {
    const QFontMetrics metrics = m_Status->fontMetrics();
    const int width = std::max(m_Status->width(), m_Status->minimumWidth());
    // "Updating(n/m)..." stays whole; the file name after it gives way in its middle.
    const QString mark = QStringLiteral("...");
    const qsizetype cut = m_FullStatus.indexOf(mark);
    if (!m_FullStatus.startsWith(QStringLiteral("Updating(")) || cut < 0) {
        m_Status->setText(m_FullStatus);
        m_Status->setToolTip(QString());
        // A wrapped sentence (the countdown after a cancel) gets every line it
        // needs: the window grows rather than cut off its last line, the seconds.
        const QRect needed = metrics.boundingRect(QRect(0, 0, width, 0), Qt::TextWordWrap, m_FullStatus);
        m_Status->setMinimumHeight(needed.height());
        return;
    }
    m_Status->setMinimumHeight(0);
    const QString head = m_FullStatus.left(cut + mark.size());
    const QString tail = m_FullStatus.mid(cut + mark.size());
    const QString shown =
        head + metrics.elidedText(tail, Qt::ElideMiddle, std::max(0, width - metrics.horizontalAdvance(head)));
    m_Status->setText(shown);
    m_Status->setToolTip(shown == m_FullStatus ? QString() : m_FullStatus);
}

QString CProgress::ShownStatus() const { return m_Status->text(); }

void CProgress::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ShowStatus();
}
void CProgress::SetRange(int maximum) { m_Bar->setRange(0, maximum); }
void CProgress::SetPosition(int position) { m_Bar->setValue(position); }
int CProgress::Position() const { return m_Bar->value(); }
int CProgress::Maximum() const { return m_Bar->maximum(); }

void CProgress::reject() {
    if (m_CancelRequested) return;
    m_CancelRequested = true;
    m_Cancel->setEnabled(false);
    // At once, while a write the printer stopped taking is still giving way.
    SetStatus(QStringLiteral("Cancelling..."));
    emit cancelRequested();
}

}  // namespace korva::logo::ui

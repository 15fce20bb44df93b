#include "logo/ui/Progress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace korva::logo::ui {

CProgress::CProgress(const QString& title, const QString& status, QWidget* parent)
    : QDialog(parent),
      m_Status(new QLabel(status, this)),
      m_Bar(new QProgressBar(this)),
      m_Cancel(new QPushButton(QStringLiteral("Cancel"), this)) {
    setWindowTitle(title);
    setModal(true);
    m_Status->setMinimumWidth(fontMetrics().averageCharWidth() * 48);
    m_Status->setWordWrap(true);  // the countdown after a cancel is a sentence
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

void CProgress::SetStatus(const QString& status) { m_Status->setText(status); }
void CProgress::SetRange(int maximum) { m_Bar->setRange(0, maximum); }
void CProgress::SetPosition(int position) { m_Bar->setValue(position); }
QString CProgress::Status() const { return m_Status->text(); }
int CProgress::Position() const { return m_Bar->value(); }
int CProgress::Maximum() const { return m_Bar->maximum(); }

void CProgress::reject() {
    if (m_CancelRequested) return;
    m_CancelRequested = true;
    m_Cancel->setEnabled(false);
    emit cancelRequested();
}

}  // namespace korva::logo::ui

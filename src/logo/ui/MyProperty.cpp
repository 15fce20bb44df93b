#include "logo/ui/MyProperty.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "base/Messages.h"
#include "logo/ui/LogoLabels.h"
#include "logo/ui/LogoPage.h"

namespace korva::logo::ui {

CMyProperty::CMyProperty(QWidget* parent)
    : QDialog(parent),
      m_Tabs(new QTabWidget(this)),
      m_Buttons(new QDialogButtonBox(this)) {
    setWindowTitle(QString::fromUtf8(base::Title(base::kTitleLogoSetup)));
    m_Close = m_Buttons->addButton(QDialogButtonBox::Ok);
    m_Cancel = m_Buttons->addButton(QDialogButtonBox::Cancel);
    m_Apply = m_Buttons->addButton(QDialogButtonBox::Apply);
    m_Help = m_Buttons->addButton(QDialogButtonBox::Help);
    connect(m_Close, &QPushButton::clicked, this, &CMyProperty::accept);
    connect(m_Cancel, &QPushButton::clicked, this, &CMyProperty::reject);
    connect(m_Apply, &QPushButton::clicked, this, &CMyProperty::OnApplyClicked);
    connect(m_Help, &QPushButton::clicked, this, &CMyProperty::RequestHelp);
    connect(m_Tabs, &QTabWidget::currentChanged, this, &CMyProperty::OnTabChanged);
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &CMyProperty::RequestHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Tabs);
    layout->addWidget(m_Buttons);
}

void CMyProperty::AddPage(LogoPage* page) {
    page->m_Sheet = this;
    m_Pages.push_back(page);
    m_Activated.push_back(false);
    m_Switching = true;  // the first tab becomes current on its own: not a page switch yet
    m_Tabs->addTab(page, TabLabel(page->Caption()));
    m_Switching = false;
}

void CMyProperty::SetupButtons() {
    // Qt's own button texts: Korean from Qt's translation on a Korean system.
    m_Close->setText(QCoreApplication::translate("QPlatformTheme", "Close"));
    m_Cancel->setText(QCoreApplication::translate("QPlatformTheme", "Cancel"));
    m_Cancel->setEnabled(false);
    m_Apply->setText(QCoreApplication::translate("QPlatformTheme", "Apply"));
    m_Apply->setEnabled(true);
    m_Help->hide();
    setWindowIcon(QApplication::windowIcon());
}

void CMyProperty::SetBusy(bool busy) {
    m_Busy = busy;
    m_Buttons->setEnabled(!busy);
    m_Tabs->tabBar()->setEnabled(!busy);
}

void CMyProperty::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_Active >= 0 || m_Pages.empty()) return;
    const int start = m_StartPage < PageCount() ? m_StartPage : 0;
    m_Switching = true;
    m_Tabs->setCurrentIndex(start);
    m_Switching = false;
    m_Active = start;
    m_Activated[static_cast<size_t>(start)] = true;
    Page(start)->OnSetActive();
}

bool CMyProperty::SetActivePage(int index) {
    if (index < 0 || index >= PageCount()) return false;
    m_Tabs->setCurrentIndex(index);
    return m_Active == index;
}

void CMyProperty::OnTabChanged(int index) {
    if (m_Switching || m_Active < 0 || index == m_Active) return;
    if (!Page(m_Active)->OnKillActive()) {
        // The page refused (a value out of range): show it again.
        m_Switching = true;
        m_Tabs->setCurrentIndex(m_Active);
        m_Switching = false;
        return;
    }
    m_Active = index;
    m_Activated[static_cast<size_t>(index)] = true;
    Page(index)->OnSetActive();
}

void CMyProperty::OnApplyClicked() {
    if (LogoPage* page = ActivePage(); page && !page->OnKillActive()) return;
    for (int i = 0; i < PageCount(); ++i) {
        if (m_Activated[static_cast<size_t>(i)]) Page(i)->OnApply();
    }
}

void CMyProperty::accept() {
    if (m_Closing || m_Busy) return;
    if (LogoPage* page = ActivePage(); page && !page->OnKillActive()) return;
    m_Closing = true;
    QDialog::accept();
    m_Closing = false;
}

void CMyProperty::reject() {
    // The sheet has no cancel of its own: the close box and Escape close it
    // as "Close" does, so what the current page holds is kept.
    if (m_Closing || m_Busy) return;
    if (LogoPage* page = ActivePage(); page && !page->OnKillActive()) return;
    m_Closing = true;
    QDialog::reject();
    m_Closing = false;
}

void CMyProperty::RequestHelp() {
    if (LogoPage* page = ActivePage()) emit helpRequested(page->HelpTopic());
}

}  // namespace korva::logo::ui

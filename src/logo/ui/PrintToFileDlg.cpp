#include "logo/ui/PrintToFileDlg.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "base/MessageBox.h"
#include "base/Messages.h"

namespace korva::logo::ui {

PrintToFileDlg::PrintToFileDlg(QWidget* parent)
    : QDialog(parent), m_Name(new QLineEdit(this)), m_Ok(new QPushButton(QStringLiteral("OK"), this)) {
    setWindowTitle(QStringLiteral("Print to File"));
    auto* prompt = new QLabel(QStringLiteral("Input the output file name"), this);
    prompt->setBuddy(m_Name);
    m_Name->setAccessibleName(prompt->text());
    m_Ok->setDefault(true);
    connect(m_Ok, &QPushButton::clicked, this, &PrintToFileDlg::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_Ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_Name);
    layout->addLayout(buttons);
    m_Name->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    m_Name->setFocus();
}

QString PrintToFileDlg::FileName() const { return m_Name->text(); }

void PrintToFileDlg::accept() {
    if (m_Name->text().isEmpty()) {
        base::ShowMessage(base::Message(base::kMsgInputOutputFileName));
        m_Name->setFocus();
        return;
    }
    QDialog::accept();
}

std::optional<std::string> AskOutputFileName(QWidget* parent) {
    // Asked for by a port opened on a transfer worker: the window's thread shows it.
    if (QThread::currentThread() != qApp->thread()) {
        std::optional<std::string> name;
        QMetaObject::invokeMethod(
            qApp, [&] { name = AskOutputFileName(parent); }, Qt::BlockingQueuedConnection);
        return name;
    }
    if (!parent) parent = QApplication::activeWindow();
    PrintToFileDlg dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return QFile::encodeName(dialog.FileName()).toStdString();
}

}  // namespace korva::logo::ui

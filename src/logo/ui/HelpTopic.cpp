#include "logo/ui/HelpTopic.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace korva::logo::ui {

QString HelpTopicFile(const QString& topic) {
    QString name = topic.trimmed();
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    if (name.isEmpty() || name.contains(QLatin1Char('/'))) return {};
    const QString file = QStringLiteral("help/") + name + QStringLiteral(".html");
    for (const QString& base : {QCoreApplication::applicationDirPath(), QDir::currentPath()}) {
        const QFileInfo info(QDir(base).filePath(file));
        if (info.isFile()) return info.absoluteFilePath();
    }
    return {};
}

CHelpWindow::CHelpWindow(QWidget* owner) : QDialog(owner), m_Browser(new QTextBrowser(this)) {
    // A window of its own, not modal: the user reads it beside the tool.
    setWindowFlag(Qt::Window);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_Browser->setOpenLinks(true);
    m_Browser->setOpenExternalLinks(false);
    m_Browser->setAccessibleName(QStringLiteral("Help"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Browser);
    layout->addWidget(buttons);
    resize(560, 480);
    // The page's own title names the window as the user follows links.
    connect(m_Browser, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(m_Browser->documentTitle()); });
}

bool CHelpWindow::ShowTopic(const QString& topic) {
    m_Topic = topic;
    const QString file = HelpTopicFile(topic);
    if (file.isEmpty()) {
        m_Browser->clear();
        m_Browser->setPlainText(QStringLiteral("No help page is installed for \"%1\".").arg(topic));
        setWindowTitle(topic);
        return false;
    }
    m_Browser->setSource(QUrl::fromLocalFile(file));
    setWindowTitle(m_Browser->documentTitle());
    return true;
}

bool OpenHelpTopic(const QString& topic, QWidget* owner) {
    auto* window = owner->findChild<CHelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (window == nullptr) window = new CHelpWindow(owner);
    const bool found = window->ShowTopic(topic);
    window->show();
    window->raise();
    window->activateWindow();
    return found;
}

}  // namespace korva::logo::ui

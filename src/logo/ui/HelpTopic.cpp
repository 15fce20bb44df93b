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

QString HelpTopicFile(const QString& topic, const QString& programDir) {
    QString name = topic.trimmed();
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    if (name.isEmpty() || name.contains(QLatin1Char('/'))) return {};
    const QString file = name + QStringLiteral(".html");
    // Beside the program in the build tree, under share/ when installed,
    // then the working directory's own copy.
    const QStringList folders = {programDir + QStringLiteral("/help"),
                                 programDir + QStringLiteral("/../share/korvatool/help"),
                                 QDir::current().filePath(QStringLiteral("help"))};
    for (const QString& folder : folders) {
        const QFileInfo info(QDir(folder).filePath(file));
        if (info.isFile()) return info.canonicalFilePath();
    }
    return {};
}

QString HelpTopicFile(const QString& topic) {
    return HelpTopicFile(topic, QCoreApplication::applicationDirPath());
}

HelpWindow::HelpWindow(QWidget* owner) : QDialog(owner), m_Browser(new QTextBrowser(this)) {
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

bool HelpWindow::ShowTopic(const QString& topic) {
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
    auto* window = owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (window == nullptr) window = new HelpWindow(owner);
    const bool found = window->ShowTopic(topic);
    window->show();
    window->raise();
    window->activateWindow();
    return found;
}

}  // namespace korva::logo::ui

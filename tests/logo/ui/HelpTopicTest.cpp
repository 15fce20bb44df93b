// F1 help: the bundled pages beside the programs, and the help window each
// page of the logo sheet opens at its own topic.
#include "logo/ui/HelpTopic.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>

#include "logo/ui/LogoPage.h"
#include "logo/ui/LogoSheet.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/SheetFixture.h"
#include "logo/ui/UiTestEnv.h"
#include "support/TestDir.h"

using namespace korva::logo::ui;

TEST(HelpTopicTest, FilesAreFoundByTopicName) {
    korva::test::TestApp();
    korva::test::TestDir dir;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path().string())));
    QDir().mkpath("help");
    QFile file("help/Made_Up_Topic.html");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(HelpTopicFile("Made Up Topic").endsWith("help/Made_Up_Topic.html"));
    EXPECT_TRUE(HelpTopicFile("No Such Topic").isEmpty());
    EXPECT_TRUE(HelpTopicFile("../Made_Up_Topic").isEmpty());

    // An installed program: bin/korvatool finds share/korvatool/help.
    QDir().mkpath("usr/bin");
    QDir().mkpath("usr/share/korvatool/help");
    QFile installed("usr/share/korvatool/help/Installed_Topic.html");
    ASSERT_TRUE(installed.open(QIODevice::WriteOnly));
    installed.close();
    EXPECT_EQ(HelpTopicFile("Installed Topic", dir.path().c_str() + QStringLiteral("/usr/bin")),
              QFileInfo(installed).canonicalFilePath());
    QDir::setCurrent(previous);
}

TEST(HelpTopicTest, EveryBundledLinkLeadsToABundledPage) {
    korva::test::TestApp();
    const QDir help(QCoreApplication::applicationDirPath() + "/help");
    const QStringList pages = help.entryList({"*.html"}, QDir::Files);
    ASSERT_GE(pages.size(), 6) << help.path().toStdString();
    const QRegularExpression href(QStringLiteral("href=\"([^\"#]+)"));
    for (const QString& page : pages) {
        QFile file(help.filePath(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(html.contains("<title>")) << page.toStdString();
        for (auto it = href.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_TRUE(help.exists(target)) << page.toStdString() << " -> " << target.toStdString();
        }
    }
}

class HelpOnEveryPage : public korva::test::SheetTest {};

TEST_F(HelpOnEveryPage, F1OpensTheTopicOfThePageInView) {
    std::unique_ptr<CMyProperty> sheet(BuildLogoSheet(context, nullptr));
    sheet->show();
    QApplication::setActiveWindow(sheet.get());
    const std::vector<QString> topics = {"Bitmap Selection", "Preview", "Upload", "Logo Printout", "Setup"};
    ASSERT_EQ(sheet->PageCount(), 5);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(sheet->SetActivePage(i));
        QApplication::setActiveWindow(sheet.get());
        korva::test::KeyClick(sheet.get(), Qt::Key_F1);
        auto* help = sheet->findChild<HelpWindow*>();
        ASSERT_NE(help, nullptr) << i;
        EXPECT_TRUE(help->isVisible());
        EXPECT_EQ(help->Topic(), topics[i]);
        // The bundled page of that topic, titled and headed with its name.
        QString file = topics[i];
        file.replace(' ', '_');
        EXPECT_EQ(help->Browser()->source().toLocalFile(),
                  QCoreApplication::applicationDirPath() + "/help/" + file + ".html");
        EXPECT_EQ(help->windowTitle(), topics[i]);
        EXPECT_TRUE(help->Browser()->toPlainText().startsWith(topics[i])) << i;
    }
    // One window, reused.
    EXPECT_EQ(sheet->findChildren<HelpWindow*>().size(), 1);
}

TEST_F(HelpOnEveryPage, ATopicWithoutAPageSaysSo) {
    QWidget owner;
    EXPECT_FALSE(OpenHelpTopic("No Such Topic", &owner));
    auto* help = owner.findChild<HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->Browser()->toPlainText(), "No help page is installed for \"No Such Topic\".");
}

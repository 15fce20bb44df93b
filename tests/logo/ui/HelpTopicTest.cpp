#include "logo/ui/HelpTopic.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "logo/ui/UiTestEnv.h"
#include "support/TestDir.h"

using namespace korva::logo::ui;

TEST(HelpTopicTest, FilesAreFoundByTopicName) {
    korva::test::TestApp();
    korva::test::TestDir dir;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path().string())));
    QDir().mkpath("help");
    QFile file("help/Logo_Printout.html");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(HelpTopicFile("Logo Printout").endsWith("help/Logo_Printout.html"));
    EXPECT_TRUE(HelpTopicFile("Setup").isEmpty());
    EXPECT_TRUE(HelpTopicFile("../Logo_Printout").isEmpty());
    QDir::setCurrent(previous);
}

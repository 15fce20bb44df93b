#include "logo/ui/Progress.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>

#include "logo/ui/UiTestEnv.h"

using korva::logo::ui::CProgress;

// A long file name gives way in its middle; the counts before it stay whole
// and the window keeps its width.
TEST(ProgressTest, ALongFileNameIsShortenedInTheMiddle) {
    korva::test::TestApp();
    CProgress progress(QStringLiteral("Uploading"), QStringLiteral("Uploading..."));
    progress.show();
    const int width = progress.width();
    const QString status = QStringLiteral("Updating(51200/393216)...") + QString(80, QLatin1Char('x')) +
                           QStringLiteral("_company_logo_final_v2.bmp");
    progress.SetStatus(status);
    EXPECT_EQ(progress.Status(), status);
    const QString shown = progress.ShownStatus();
    EXPECT_TRUE(shown.startsWith("Updating(51200/393216)...")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("v2.bmp")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    const QLabel* line = progress.findChild<QLabel*>();
    ASSERT_NE(line, nullptr);
    EXPECT_LE(line->fontMetrics().horizontalAdvance(shown), line->width());
    EXPECT_EQ(progress.width(), width);

    // Short and typical names (up to about 60 characters) are shown whole.
    for (const QString& name : {QStringLiteral("a.bmp"), QStringLiteral("05-tall-512x1600.bmp"),
                                QStringLiteral("2026-12-07 store 14 receipt header logo, final (v3b).png")}) {
        progress.SetStatus(QStringLiteral("Updating(393216/393216)...") + name);
        EXPECT_EQ(progress.ShownStatus(), progress.Status());
    }

    // The countdown after a cancel wraps; every line of it shows, the seconds too.
    const QString countdown = QStringLiteral(
        "Cancelled: the printer holds logos 1..3 of this upload; its earlier logos are erased. "
        "Waiting for the printer... 146 s");
    progress.SetStatus(countdown);
    QCoreApplication::processEvents();
    EXPECT_EQ(progress.ShownStatus(), countdown);
    const QRect needed = line->fontMetrics().boundingRect(QRect(0, 0, line->width(), 0),
                                                          Qt::TextWordWrap, countdown);
    EXPECT_GT(needed.height(), line->fontMetrics().lineSpacing());  // two lines or more
    EXPECT_GE(line->height(), needed.height());
}

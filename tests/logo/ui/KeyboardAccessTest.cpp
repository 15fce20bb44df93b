// Keyboard and screen-reader access on the five pages of the logo sheet and
// in the "Uploading" / "Printing" windows: every control is named by a text
// the user sees, Tab reaches every control, and Escape cancels a run.
#include <QAbstractButton>
#include <QAccessible>
#include <QButtonGroup>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <map>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

#include "logo/ui/KoreanLocale.h"
#include "logo/ui/LogoLabels.h"
#include "logo/ui/LogoPage.h"
#include "logo/ui/LogoSheet.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/Progress.h"
#include "logo/ui/SheetFixture.h"

using namespace korva::logo::ui;

namespace {

QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

/// The texts a user sees in `root`: labels, group titles and button texts,
/// without their mnemonic marks.
QSet<QString> VisibleTexts(QWidget* root) {
    QSet<QString> texts;
    for (auto* label : root->findChildren<QLabel*>()) texts.insert(StripMnemonic(label->text()));
    for (auto* box : root->findChildren<QGroupBox*>()) texts.insert(StripMnemonic(box->title()));
    for (auto* button : root->findChildren<QAbstractButton*>()) texts.insert(StripMnemonic(button->text()));
    return texts;
}

/// Controls a user operates or reads a value from (not the list's row boxes,
/// which are named per row).
std::vector<QWidget*> Controls(QWidget* root) {
    std::vector<QWidget*> out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (w->parent() && w->parent()->parent() && qobject_cast<QTreeWidget*>(w->parent()->parent())) continue;
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QSlider*>(w) ||
            qobject_cast<QTreeWidget*>(w) || qobject_cast<QProgressBar*>(w))
            out.push_back(w);
    }
    return out;
}

/// Every widget the focus visits pressing Tab from `start` until it comes back.
QSet<QWidget*> TabCycle(QWidget* window, QWidget* start) {
    QSet<QWidget*> seen;
    start->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 200; ++i) {
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr || seen.contains(focus)) break;
        seen.insert(focus);
        korva::test::KeyClick(window, Qt::Key_Tab);
    }
    return seen;
}

}  // namespace

class KeyboardAccessTest : public korva::test::SheetTest {
protected:
    void SetUp() override {
        profile.WriteString("LOGO", "Logofile1", WriteBmp("one.bmp", 16, 8));
        LoadListFromProfile();
        sheet.reset(BuildLogoSheet(context, nullptr));
        sheet->show();
        QApplication::setActiveWindow(sheet.get());
    }
    std::unique_ptr<CMyProperty> sheet;
};

TEST_F(KeyboardAccessTest, EveryControlIsNamedByATextOnItsPage) {
    if (korva::test::InKoreanChild()) GTEST_SKIP();
    for (int i = 0; i < sheet->PageCount(); ++i) {
        ASSERT_TRUE(sheet->SetActivePage(i));
        LogoPage* page = sheet->Page(i);
        const QSet<QString> texts = VisibleTexts(page);
        for (QWidget* control : Controls(page)) {
            const QString name = AccessibleName(control);
            EXPECT_TRUE(!name.isEmpty() && texts.contains(name))
                << "page " << i << ": " << control->metaObject()->className() << " named \"" << name.toStdString()
                << "\"";
        }
    }
}

TEST_F(KeyboardAccessTest, TabReachesEveryControlOfEveryPage) {
    for (int i = 0; i < sheet->PageCount(); ++i) {
        ASSERT_TRUE(sheet->SetActivePage(i));
        LogoPage* page = sheet->Page(i);
        const QSet<QWidget*> reached = TabCycle(sheet.get(), sheet->Tabs()->tabBar());
        QSet<QButtonGroup*> groupsReached;
        for (QWidget* w : reached)
            if (auto* radio = qobject_cast<QRadioButton*>(w); radio && radio->group()) groupsReached.insert(radio->group());
        for (QWidget* control : Controls(page)) {
            if (!control->isVisible() || !control->isEnabled() || control->focusPolicy() == Qt::NoFocus) continue;
            // Radio buttons of one group share a Tab stop; the arrow keys move between them.
            auto* radio = qobject_cast<QRadioButton*>(control);
            if (radio && radio->group() && groupsReached.contains(radio->group())) continue;
            if (radio && !radio->group() && radio->autoExclusive()) {
                bool sibling = false;
                for (QWidget* w : reached)
                    sibling = sibling || (qobject_cast<QRadioButton*>(w) && w->parentWidget() == radio->parentWidget());
                if (sibling) continue;
            }
            EXPECT_TRUE(reached.contains(control)) << "page " << i << ": " << control->metaObject()->className()
                                                  << " \"" << AccessibleName(control).toStdString() << "\"";
        }
        // The sheet's own buttons are in the same cycle.
        EXPECT_TRUE(reached.contains(sheet->CloseButton())) << "page " << i;
    }
}

/// The Alt+letter of a text ("Re&move" -> 'M'), or 0.
QChar Mnemonic(const QString& text) {
    const qsizetype amp = text.indexOf(QLatin1Char('&'));
    return amp >= 0 && amp + 1 < text.size() ? text[amp + 1].toUpper() : QChar();
}

TEST_F(KeyboardAccessTest, AltLettersAreUniqueAndReachTheirControls) {
    if (korva::test::InKoreanChild()) GTEST_SKIP();
    for (int i = 0; i < sheet->PageCount(); ++i) {
        ASSERT_TRUE(sheet->SetActivePage(i));
        LogoPage* page = sheet->Page(i);
        // Which control each letter should reach: a label's buddy, a group's
        // first control, or the button itself (not pressed here: Open File
        // would open the file dialog).
        std::map<QChar, std::vector<QWidget*>> targets;
        for (auto* label : page->findChildren<QLabel*>())
            if (!Mnemonic(label->text()).isNull()) targets[Mnemonic(label->text())].push_back(label->buddy());
        for (auto* box : page->findChildren<QGroupBox*>())
            if (!Mnemonic(box->title()).isNull()) targets[Mnemonic(box->title())].push_back(box);
        for (auto* button : page->findChildren<QAbstractButton*>())
            if (!Mnemonic(button->text()).isNull()) targets[Mnemonic(button->text())].push_back(button);
        for (QPushButton* button : {sheet->CloseButton(), sheet->CancelButton(), sheet->ApplyButton()})
            if (!Mnemonic(button->text()).isNull()) targets[Mnemonic(button->text())].push_back(button);
        for (const auto& [letter, widgets] : targets) {
            EXPECT_EQ(widgets.size(), 1u) << "page " << i << ": Alt+" << QString(letter).toStdString() << " is used "
                                         << widgets.size() << " times";
            QWidget* target = widgets.front();
            ASSERT_NE(target, nullptr) << "page " << i << ": a label with Alt+" << QString(letter).toStdString()
                                       << " names no control";
            if (qobject_cast<QPushButton*>(target)) continue;
            sheet->Tabs()->tabBar()->setFocus();
            korva::test::KeyClick(sheet.get(), Qt::Key_A + (letter.unicode() - 'A'), Qt::AltModifier);
            QWidget* focus = QApplication::focusWidget();
            EXPECT_TRUE(focus == target || target->isAncestorOf(focus))
                << "page " << i << ": Alt+" << QString(letter).toStdString() << " went to "
                << (focus ? focus->metaObject()->className() : "nothing");
        }
    }
}

TEST_F(KeyboardAccessTest, ProgressWindowIsNamedAndEscapeCancels) {
    for (const QString& title : {QStringLiteral("Uploading"), QStringLiteral("Printing")}) {
        CProgress progress(title, QStringLiteral("Erasing..."), sheet.get());
        int cancels = 0;
        QObject::connect(&progress, &CProgress::cancelRequested, [&] { ++cancels; });
        progress.SetRange(10);
        progress.open();
        QApplication::setActiveWindow(&progress);
        EXPECT_EQ(QApplication::focusWidget(), progress.CancelButton());
        for (QWidget* control : Controls(&progress))
            EXPECT_FALSE(AccessibleName(control).isEmpty()) << control->metaObject()->className();
        EXPECT_EQ(AccessibleName(progress.CancelButton()), "Cancel");
        korva::test::KeyClick(&progress, Qt::Key_Escape);
        EXPECT_EQ(cancels, 1);
        // Still shown until the run stops between two steps; a second Escape asks nothing more.
        EXPECT_TRUE(progress.isVisible());
        korva::test::KeyClick(&progress, Qt::Key_Escape);
        EXPECT_EQ(cancels, 1);
        progress.done(QDialog::Accepted);
    }
}

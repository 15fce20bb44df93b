#include "logo/ui/MyProperty.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabWidget>

#include "logo/ui/LogoPage.h"
#include "logo/ui/UiTestEnv.h"

using korva::logo::ui::LogoPage;
using korva::logo::ui::CMyProperty;

namespace {

// A page that records what the sheet tells it.
class FakePage : public LogoPage {
public:
    FakePage(QString caption, std::vector<std::string>* events) : m_Caption(std::move(caption)), m_Events(events) {}
    QString Caption() const override { return m_Caption; }
    QString HelpTopic() const override { return m_Caption + " help"; }
    void OnSetActive() override { m_Events->push_back("set " + m_Caption.toStdString()); }
    bool OnKillActive() override {
        m_Events->push_back("kill " + m_Caption.toStdString());
        return allowLeave;
    }
    void OnApply() override { m_Events->push_back("apply " + m_Caption.toStdString()); }
    bool allowLeave = true;

private:
    QString m_Caption;
    std::vector<std::string>* m_Events;
};

struct Sheet {
    std::vector<std::string> events;
    CMyProperty sheet;
    std::vector<FakePage*> pages;
    Sheet() {
        for (const char* caption : {"A", "B", "C"}) {
            pages.push_back(new FakePage(caption, &events));
            sheet.AddPage(pages.back());
        }
        sheet.SetStartPage(2);
    }
};

}  // namespace

class MyPropertyTest : public ::testing::Test {
protected:
    void SetUp() override { korva::test::TestApp(); }
};

TEST_F(MyPropertyTest, OpensOnTheStartPageAndSwitchesThroughKillAndSet) {
    Sheet s;
    EXPECT_EQ(s.sheet.windowTitle(), "KorvaTool : Quelm Image Logo Setup");
    s.sheet.show();
    EXPECT_EQ(s.sheet.ActiveIndex(), 2);
    EXPECT_EQ(s.sheet.Tabs()->currentIndex(), 2);
    EXPECT_EQ(s.events, std::vector<std::string>{"set C"});  // no other page was shown first

    s.events.clear();
    s.sheet.Tabs()->setCurrentIndex(0);  // as a tab click does
    EXPECT_EQ(s.events, (std::vector<std::string>{"kill C", "set A"}));
    EXPECT_EQ(s.sheet.ActiveIndex(), 0);
}

TEST_F(MyPropertyTest, ARefusingPageKeepsTheUserThere) {
    Sheet s;
    s.sheet.show();
    s.pages[2]->allowLeave = false;
    s.events.clear();
    EXPECT_FALSE(s.sheet.SetActivePage(1));
    EXPECT_EQ(s.sheet.Tabs()->currentIndex(), 2);
    EXPECT_EQ(s.events, std::vector<std::string>{"kill C"});

    // Close is refused as well until the page agrees.
    s.sheet.CloseButton()->click();
    EXPECT_TRUE(s.sheet.isVisible());
    s.pages[2]->allowLeave = true;
    s.sheet.CloseButton()->click();
    EXPECT_FALSE(s.sheet.isVisible());
    EXPECT_EQ(s.sheet.result(), QDialog::Accepted);
}

TEST_F(MyPropertyTest, ApplyLeavesTheCurrentPageThenAppliesEveryShownPage) {
    Sheet s;
    s.sheet.show();
    s.sheet.SetActivePage(1);
    s.events.clear();
    s.sheet.ApplyButton()->click();
    EXPECT_EQ(s.events, (std::vector<std::string>{"kill B", "apply B", "apply C"}));
    EXPECT_TRUE(s.sheet.isVisible());
}

TEST_F(MyPropertyTest, SetupButtonsAndHelpTopic) {
    Sheet s;
    s.sheet.SetupButtons();
    s.sheet.show();
    EXPECT_EQ(s.sheet.CloseButton()->text(), "Close");
    EXPECT_FALSE(s.sheet.CancelButton()->isEnabled());
    EXPECT_TRUE(s.sheet.ApplyButton()->isEnabled());
    EXPECT_FALSE(s.sheet.HelpButton()->isVisible());

    std::vector<QString> topics;
    QObject::connect(&s.sheet, &CMyProperty::helpRequested, [&](const QString& topic) { topics.push_back(topic); });
    QApplication::setActiveWindow(&s.sheet);
    korva::test::KeyClick(&s.sheet, Qt::Key_F1);
    EXPECT_EQ(topics, std::vector<QString>{"C help"});
}

#include "logo/ui/LogoLabels.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "ui/Language.h"
#include "logo/ui/KoreanLocale.h"
#include "logo/ui/UiTestEnv.h"

using namespace korva::logo::ui;

class LogoLabelsTest : public ::testing::Test {
protected:
    void SetUp() override { korva::test::TestApp(); }
};

TEST_F(LogoLabelsTest, EnglishSystemKeepsTheEnglishLabels) {
    if (korva::test::InKoreanChild()) GTEST_SKIP();
    ASSERT_FALSE(UseKoreanLabels());
    EXPECT_EQ(PageLabel(LabelPage::Upload, "&Bitmap List"), "&Bitmap List");
    EXPECT_EQ(PageLabel(LabelPage::Setup, "Bitmap Image downloader "), "Bitmap Image downloader ");
}

TEST_F(LogoLabelsTest, StripMnemonicGivesTheSpokenText) {
    EXPECT_EQ(StripMnemonic("&Open File..."), "Open File...");
    EXPECT_EQ(StripMnemonic("Re&move"), "Remove");
    EXPECT_EQ(StripMnemonic("Fish && Chips"), "Fish & Chips");
    EXPECT_EQ(StripMnemonic("파일 열기"), "파일 열기");
    EXPECT_EQ(StripMnemonic("파일 열기(&O)"), "파일 열기");
}

TEST_F(LogoLabelsTest, KoreanLabelsInAKoreanChild) {
    if (korva::test::InKoreanChild()) GTEST_SKIP();
    bool passed = false;
    const QString output = korva::test::RunInKoreanChild("KoreanChild*", passed);
    EXPECT_TRUE(passed) << output.toStdString();
}

TEST(KoreanChildLabels, TablesPerPage) {
    KOREAN_CHILD_ONLY();
    korva::test::TestApp();
    ASSERT_TRUE(UseKoreanLabels());
    // One English label, two Korean texts depending on the page; the English
    // mnemonic follows in the Korean way.
    EXPECT_EQ(PageLabel(LabelPage::Selection, "&Bitmap List"), "비트맵 목록(&B)");
    EXPECT_EQ(PageLabel(LabelPage::Upload, "&Bitmap List"), "이미지 목록(&B)");
    EXPECT_EQ(PageLabel(LabelPage::Print, "&Quadraple"), "가로2배 / 세로2배(&Q)");
    EXPECT_EQ(PageLabel(LabelPage::Selection, "Re&move"), "삭제(&M)");
    EXPECT_EQ(PageLabel(LabelPage::Setup, "Bitmap Image downloader "), "비트맵 이미지 전송");
    // A label no table names stays English.
    EXPECT_EQ(PageLabel(LabelPage::Selection, "Auto Center Align Check"), "Auto Center Align Check");
}

TEST(KoreanChildLabels, TheKoreanMnemonicReachesTheButton) {
    KOREAN_CHILD_ONLY();
    korva::test::TestApp();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* open = new QPushButton(&window);
    auto* other = new QPushButton("x", &window);
    layout->addWidget(open);
    layout->addWidget(other);
    SetLabel(open, LabelPage::Selection, "&Open File...");
    EXPECT_EQ(open->text(), "파일 열기(&O)");
    EXPECT_EQ(StripMnemonic(open->text()), "파일 열기");
    int clicks = 0;
    QObject::connect(open, &QPushButton::clicked, [&] { ++clicks; });
    window.show();
    QApplication::setActiveWindow(&window);
    other->setFocus();
    korva::test::KeyClick(&window, Qt::Key_O, Qt::AltModifier);
    // The button's own mnemonic clicks it (animateClick fires after a short delay).
    for (int i = 0; i < 50 && clicks == 0; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    EXPECT_EQ(clicks, 1);
}

// Qt's own texts come from Qt's Korean translation (qt6-translations-l10n).
TEST(KoreanChildLabels, QtsOwnButtonsSpeakKorean) {
    KOREAN_CHILD_ONLY();
    ASSERT_TRUE(korva::ui::InstallQtTranslation(korva::test::TestApp()));
    QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel |
                         QDialogButtonBox::Close | QDialogButtonBox::Apply);
    EXPECT_TRUE(box.button(QDialogButtonBox::Yes)->text().startsWith("예"));
    EXPECT_TRUE(box.button(QDialogButtonBox::No)->text().startsWith("아니요"));
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().remove('&'), "취소");
    EXPECT_EQ(box.button(QDialogButtonBox::Close)->text().remove('&'), "닫기");
    EXPECT_EQ(box.button(QDialogButtonBox::Apply)->text().remove('&'), "적용");
}

// Labels of every page: the Korean texts on a Korean system, and every
// control reachable by its label's text through accessibility.
#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QPushButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QSlider>
#include <QTabBar>
#include <QTreeWidget>

#include "logo/ui/KoreanLocale.h"
#include "logo/ui/LogoListCtrl.h"
#include "logo/ui/LogoPage.h"
#include "logo/ui/LogoSheet.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/Page3Upload.h"
#include "logo/ui/Page5Setup.h"
#include "logo/ui/SheetFixture.h"

using namespace korva::logo::ui;

namespace {

// Every text a page shows on its buttons, labels and group boxes.
QSet<QString> TextsOf(QWidget* page) {
    QSet<QString> texts;
    for (auto* button : page->findChildren<QAbstractButton*>()) texts.insert(button->text());
    for (auto* label : page->findChildren<QLabel*>()) texts.insert(label->text());
    for (auto* box : page->findChildren<QGroupBox*>()) texts.insert(box->title());
    return texts;
}

QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

struct Expected {
    int page;
    std::vector<const char*> korean;
    std::vector<const char*> english;  // the labels they replace, gone on a Korean system
};

const std::vector<Expected> kKorean = {
    {0, {"비트맵 목록(&B)", "파일 열기(&O)", "삭제(&M)", "초기화(&R)", "이미지 파일 갯수", "전체 이미지 파일 크기",
         "Auto Center Align Check"},
     {"&Bitmap List", "&Open File...", "Re&move", "&Reset", "Number of Image Files"}},
    {1, {"비트맵 목록(&B)", "일반(&N)", "세로 2배(&H)", "가로2배 / 세로2배(&Q)", "가로 2배(&W)", "이미지 파일 갯수",
         "프린터 도트(&D)"},
     {"&Normal", "Double &Height", "&Quadraple", "Double &Width", "Printer &dots"}},
    {2, {"이미지 목록(&B)", "전송(&U)", "프린터 정보", "프린터 이름", "프린터 포트", "전체 이미지 파일 크기"},
     {"&Upload", "Printer Details", "Printer Name", "Port Name"}},
    {3, {"전체", "선택", "크기(&U)", "일반(&N)", "가로 2배(&W)", "세로 2배(&H)", "가로2배 / 세로2배(&Q)", "제목(&D)",
         "제목 없음", "제목 인쇄", "인쇄(&P)", "프린터 정보", "프린터 이름", "프린터 포트"},
     {"All", "Selection", "Q&uality", "Hea&der", "No Header", "Add Header", "&Print"}},
    {4, {"파일로 출력", "농도조절인쇄", "STAR 에뮬레이션", "정보", "비트맵 이미지 전송", "설정", "인쇄 가능 영역",
         "프린터 정보"},
     {"Print To File", "Use Gray Printing", "Use Star Emulation", "About", "Option Setting",
      "Max Printable Area :", "Device"}},
};

}  // namespace

class PageLabelsTest : public korva::test::SheetTest {
protected:
    void SetUp() override {
        sheet.reset(BuildLogoSheet(context, nullptr));
        sheet->show();
    }
    std::unique_ptr<CMyProperty> sheet;
};

TEST_F(PageLabelsTest, EveryControlHasAnAccessibleName) {
    for (int i = 0; i < sheet->PageCount(); ++i) {
        LogoPage* page = sheet->Page(i);
        for (QWidget* control : page->findChildren<QWidget*>()) {
            const bool operable = qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control) ||
                                  qobject_cast<QSlider*>(control) || qobject_cast<QTreeWidget*>(control);
            if (!operable) continue;
            EXPECT_FALSE(AccessibleName(control).trimmed().isEmpty())
                << "page " << i << ": " << control->metaObject()->className();
        }
    }
}

TEST_F(PageLabelsTest, FieldsAreNamedByTheirLabels) {
    if (korva::test::InKoreanChild()) GTEST_SKIP();
    auto* setup = qobject_cast<CPage5Setup*>(sheet->Page(4));
    EXPECT_EQ(AccessibleName(setup->MaxAreaEdit()), "Max Printable Area :");
    EXPECT_EQ(AccessibleName(setup->ThresholdEdit()), "Black / White diverging point (0~255)");
    EXPECT_EQ(AccessibleName(setup->GrayBox()), "Use Gray Printing");
    auto* upload = qobject_cast<CPage3Upload*>(sheet->Page(2));
    EXPECT_EQ(AccessibleName(upload->List()), "Bitmap List");
    EXPECT_EQ(AccessibleName(upload->PrinterNameEdit()), "Printer Name");
    EXPECT_EQ(AccessibleName(upload->CountEdit()), "Number of Image Files");
    EXPECT_EQ(AccessibleName(upload->UploadButton()), "Upload");
}

TEST_F(PageLabelsTest, KoreanLabelsOnEveryPageInAKoreanChild) {
    if (korva::test::InKoreanChild()) GTEST_SKIP();
    bool passed = false;
    const QString output = korva::test::RunInKoreanChild("KoreanChildPages*:PageLabelsTest.Every*", passed);
    EXPECT_TRUE(passed) << output.toStdString();
}

class KoreanChildPages : public PageLabelsTest {};

TEST_F(KoreanChildPages, EachPageShowsItsKoreanLabels) {
    KOREAN_CHILD_ONLY();
    for (const Expected& expected : kKorean) {
        const QSet<QString> texts = TextsOf(sheet->Page(expected.page));
        for (const char* korean : expected.korean)
            EXPECT_TRUE(texts.contains(QString::fromUtf8(korean))) << "page " << expected.page << ": " << korean;
        for (const char* english : expected.english)
            EXPECT_FALSE(texts.contains(QString::fromUtf8(english))) << "page " << expected.page << ": " << english;
    }
    auto* setup = qobject_cast<CPage5Setup*>(sheet->Page(4));
    EXPECT_EQ(AccessibleName(setup->MaxAreaEdit()), "인쇄 가능 영역");
    // The tabs are named in Korean too.
    const QTabBar* tabs = sheet->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    QStringList names;
    for (int i = 0; i < tabs->count(); ++i) names << tabs->tabText(i);
    EXPECT_EQ(names, (QStringList{"비트맵 선택", "미리 보기", "전송", "비트맵 인쇄", "설정"}));
}

TEST_F(KoreanChildPages, ASerialConnectionShowsEveryLineOfItsLabel) {
    KOREAN_CHILD_ONLY();
    const QString label = "KORVA20 - /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0-on-a-long-hub" +
                          korva::test::kSerialLabelLines;
    context.connectionLabel = label.toStdString();
    sheet.reset(BuildLogoSheet(context, nullptr));
    sheet->show();
    ASSERT_TRUE(sheet->SetActivePage(4));
    korva::test::ExpectEveryLineShown(*qobject_cast<CPage5Setup*>(sheet->Page(4))->DeviceLabel(), label);
}

#include "logo/ui/LogoLabels.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <cstring>
#include <utility>

#include "ui/Language.h"

namespace korva::logo::ui {

namespace {

struct KoreanLabel {
    LabelPage page;
    const char* english;
    const char* korean;
};

// Korean texts of every page, by the English label they replace.
constexpr KoreanLabel kKoreanLabels[] = {
    {LabelPage::Selection, "&Bitmap List", "비트맵 목록"},
    {LabelPage::Selection, "&Open File...", "파일 열기"},
    {LabelPage::Selection, "Re&move", "삭제"},
    {LabelPage::Selection, "&Reset", "초기화"},
    {LabelPage::Selection, "Number of Image Files", "이미지 파일 갯수"},
    {LabelPage::Selection, "Total Image File Size", "전체 이미지 파일 크기"},

    {LabelPage::Preview, "&Bitmap List", "비트맵 목록"},
    {LabelPage::Preview, "Number of Image Files", "이미지 파일 갯수"},
    {LabelPage::Preview, "Total Image File Size", "전체 이미지 파일 크기"},
    {LabelPage::Preview, "&Normal", "일반"},
    {LabelPage::Preview, "Double &Height", "세로 2배"},
    {LabelPage::Preview, "&Quadraple", "가로2배 / 세로2배"},
    {LabelPage::Preview, "Double &Width", "가로 2배"},
    {LabelPage::Preview, "Printer &dots", "프린터 도트"},

    {LabelPage::Upload, "&Bitmap List", "이미지 목록"},
    {LabelPage::Upload, "Number of Image Files", "이미지 파일 갯수"},
    {LabelPage::Upload, "Total Image File Size", "전체 이미지 파일 크기"},
    {LabelPage::Upload, "&Upload", "전송"},
    {LabelPage::Upload, "Printer Details", "프린터 정보"},
    {LabelPage::Upload, "Printer Name", "프린터 이름"},
    {LabelPage::Upload, "Port Name", "프린터 포트"},

    {LabelPage::Print, "All", "전체"},
    {LabelPage::Print, "Selection", "선택"},
    {LabelPage::Print, "Q&uality", "크기"},
    {LabelPage::Print, "&Normal", "일반"},
    {LabelPage::Print, "Double &Width", "가로 2배"},
    {LabelPage::Print, "Double &Height", "세로 2배"},
    {LabelPage::Print, "&Quadraple", "가로2배 / 세로2배"},
    {LabelPage::Print, "Hea&der", "제목"},
    {LabelPage::Print, "No Header", "제목 없음"},
    {LabelPage::Print, "Add Header", "제목 인쇄"},
    {LabelPage::Print, "&Print", "인쇄"},
    {LabelPage::Print, "Printer Details", "프린터 정보"},
    {LabelPage::Print, "Printer Name", "프린터 이름"},
    {LabelPage::Print, "Port Name", "프린터 포트"},

    {LabelPage::Setup, "Print To File", "파일로 출력"},
    {LabelPage::Setup, "Use Gray Printing", "농도조절인쇄"},
    {LabelPage::Setup, "Use Star Emulation", "STAR 에뮬레이션"},
    {LabelPage::Setup, "About", "정보"},
    {LabelPage::Setup, "Bitmap Image downloader ", "비트맵 이미지 전송"},
    {LabelPage::Setup, "Option Setting", "설정"},
    {LabelPage::Setup, "Max Printable Area :", "인쇄 가능 영역"},
    {LabelPage::Setup, "Device", "프린터 정보"},
};

// The tabs of the sheet, by their English captions.
constexpr std::pair<const char*, const char*> kKoreanTabs[] = {
    {"Bitmap Selection", "비트맵 선택"}, {"Preview", "미리 보기"}, {"Upload", "전송"},
    {"Print Bitmap", "비트맵 인쇄"},     {"Setup", "설정"},
};

}  // namespace

QString TabLabel(const QString& english) {
    if (UseKoreanLabels())
        for (const auto& [tab, korean] : kKoreanTabs)
            if (english == QLatin1String(tab)) return QString::fromUtf8(korean);
    return english;
}

// One answer for every dialog of the program (the system locale, or the
// language the user fixed).
bool UseKoreanLabels() { return korva::ui::UseKoreanLabels(); }

QString PageLabel(LabelPage page, const char* english) {
    if (UseKoreanLabels()) {
        for (const auto& label : kKoreanLabels) {
            if (label.page == page && std::strcmp(label.english, english) == 0)
                return korva::ui::KoreanMnemonic(english, QString::fromUtf8(label.korean));
        }
    }
    return QString::fromUtf8(english);
}

void SetLabel(QAbstractButton* button, LabelPage page, const char* english) {
    button->setText(PageLabel(page, english));
}

void SetLabel(QGroupBox* box, LabelPage page, const char* english) { box->setTitle(PageLabel(page, english)); }

void SetLabel(QLabel* label, LabelPage page, const char* english, QWidget* buddy) {
    const QString text = PageLabel(page, english);
    label->setText(text);
    if (!buddy) return;
    label->setBuddy(buddy);
    buddy->setAccessibleName(StripMnemonic(text));
}

QString StripMnemonic(const QString& text) { return korva::ui::StripMnemonic(text); }

}  // namespace korva::logo::ui

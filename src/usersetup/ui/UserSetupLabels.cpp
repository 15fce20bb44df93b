#include "usersetup/ui/UserSetupLabels.h"

#include <array>

namespace korva::usersetup::ui {

namespace {
struct Texts {
    const char* english;
    const char* korean;  ///< nullptr: stays English
};

constexpr std::array<Texts, kLabelCount> kTexts{{
    {"SELECT USER SETUP FUNCTION", "사용자 설정"},
    {"Paper Width && Max. Column", "용지 폭"},
    {"Paper Type", "용지 종류"},
    {"Water Mark Function", "워터마크 기능"},
    {"Cutting postion adjustment Function", "용지 절단 위치 조정"},
    {"Drawer open with cutting", "용지 절단시 돈통 열기"},
    {"Kitchen Bell Type && Length", "주방벨 종류 / 횟수"},
    {"Default Code Page", "기본 문자"},
    {"NV Graphic Memory Size", "내장 그래픽 메모리 크기"},
    {"NV User Memory Size", "내장 사용자 메모리 크기"},
    {"Cutting Mode Select", "절단 모드"},
    {"Max Print Speed", "인쇄 최고 속도"},
    {"Set Left Paper Margin", "용지 좌측 여백"},
    {"Drawer Open In Self-Test", "Self-Test시 돈통 열기"},
    {"Receive Buffer Size", "수신 버퍼 크기"},
    {"STOP BIT(COM PORT)", "스톱 비트 (COM)"},
    {"Customize Setup Code", nullptr},
    {"Get Value", "설정 읽기"},
    {"Set Value", "설정 쓰기"},
    {"EXIT", "취소"},
    {"TEST", "테스트"},
    {"Default", "기본값"},
}};
}  // namespace

QString Label(LabelId id) { return QString::fromUtf8(kTexts[static_cast<size_t>(id)].english); }

QString KoreanLabel(LabelId id) {
    const Texts& t = kTexts[static_cast<size_t>(id)];
    return QString::fromUtf8(t.korean ? t.korean : t.english);
}

}  // namespace korva::usersetup::ui

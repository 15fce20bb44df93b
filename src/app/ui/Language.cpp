#include "app/ui/Language.h"

#include <QLocale>
#include <atomic>

namespace korva::app::ui {
namespace {
// -1 follow the system, 0 English, 1 Korean.
std::atomic<int> g_Override{-1};
}  // namespace

bool UseKoreanLabels() {
    const int forced = g_Override.load();
    if (forced >= 0) return forced == 1;
    return QLocale::system().language() == QLocale::Korean;
}

void SetKoreanLabelsOverride(std::optional<bool> korean) {
    g_Override.store(korean.has_value() ? (*korean ? 1 : 0) : -1);
}

}  // namespace korva::app::ui

#pragma once
#include <optional>

namespace korva::app::ui {

/// True when dialogs show their Korean labels: the system locale is Korean
/// (messages and titles stay English whatever this says).
bool UseKoreanLabels();

/// Tests (and a user who wants the other language) fix the answer;
/// std::nullopt returns to the system locale.
void SetKoreanLabelsOverride(std::optional<bool> korean);

}  // namespace korva::app::ui

#pragma once
// The check after a write, as the setup dialog and `korva setup write` both
// run it: the settings are read again and compared with what the
// set-values command carried.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "usersetup/ReadBack.h"
#include "usersetup/SetupLists.h"
#include "usersetup/UserSettings.h"

namespace korva::usersetup {

class UserSetupExchange;

/// How long a settings read waits for every answer unless the command line
/// says otherwise; the dialog's read after a write always waits this long.
inline constexpr int kAnswerWaitMs = 5000;

/// Reads the settings again after a write, comparing each one `command`
/// carried between `written` and `readBack`. `readOnce` runs one read of
/// the exchange's request list, its answers decoded into `readBack`, and
/// returns false when it failed. A printer restarting its interface after
/// leave-setup may miss the first requests: those without an answer are
/// asked once more, and a setting that never answered is a difference.
/// nullopt when a read failed.
std::optional<std::vector<ReadBackDifference>> ReadBackAfterWrite(
    UserSetupExchange& exchange, const std::function<bool()>& readOnce,
    std::span<const uint8_t> command, const UserSettings& written, const UserSettings& readBack,
    const SetupLists& lists);

}  // namespace korva::usersetup

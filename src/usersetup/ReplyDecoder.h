#pragma once
// Applies one setting reply to the settings record, by the printer's rules
// for each setting's value text.
#include "usersetup/ReplyParser.h"
#include "usersetup/SetupLists.h"
#include "usersetup/UserSettings.h"

namespace korva::usersetup {

enum class DecodeStatus {
    Applied,         ///< the record changed (or was confirmed)
    UnknownSetting,  ///< a setting number the tool does not hold: dropped
    UnlistedValue,   ///< a value text without a meaning for that setting: no change
    OutOfRange,      ///< a number outside what the setting can hold: no change
};

const char* DecodeStatusText(DecodeStatus status);

/// Decodes `reply` into `settings`; `lists` gives the code-page numbers and
/// the receive-buffer list's length.
DecodeStatus DecodeReply(const SettingReply& reply, UserSettings& settings,
                         const SetupLists& lists);

}  // namespace korva::usersetup

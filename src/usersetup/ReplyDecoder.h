#pragma once
// Applies one setting reply to the settings record, by the printer's rules
// for each setting's value text.
#include <string>
#include <string_view>

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

/// An answer's text for messages: printable ASCII as it is, other bytes as \xNN.
std::string PrintableAnswer(std::string_view data);

/// Decodes `reply` into `settings`: a value in the tool's lists sets the
/// setting; a number the printer takes back as it is but the lists do not
/// hold goes to `settings.verbatim`; any other answer leaves the setting
/// empty (unknown) and goes to `settings.unknown`. Never a stand-in value.
/// `lists` gives the code-page numbers and the receive-buffer list's length. `lists` gives the code-page numbers and
/// the receive-buffer list's length.
DecodeStatus DecodeReply(const SettingReply& reply, UserSettings& settings,
                         const SetupLists& lists);

}  // namespace korva::usersetup

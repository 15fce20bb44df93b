#pragma once
// The user settings as NAME=VALUE texts, for the command line: what `korva
// setup read` prints and what `korva setup write` takes.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "usersetup/SetupLists.h"
#include "usersetup/UserSettings.h"

namespace korva::usersetup {

/// The value shown for a setting whose answer was no value the printer takes.
inline constexpr const char* kUnknownText = "unknown";

/// The printer's number of a setting name ("margin" gives 250); 0 for none.
uint8_t SettingNumberOf(std::string_view name);

/// Every setting that holds a value, as (name, value) in the printer's order;
/// a value outside the tool's lists as the printer's number, an unknown one
/// as kUnknownText.
std::vector<std::pair<std::string, std::string>> DescribeSettings(const UserSettings& settings,
                                                                  const SetupLists& lists);

/// One text per unknown setting: its name, number and the printer's answer.
std::vector<std::string> UnknownSettings(const UserSettings& settings, const SetupLists& lists);

/// The settings a printer takes but cannot report over a link whose read
/// asks for `asked` (stop-bits where setting 253 is not asked): they are
/// written only when named, and never counted as a difference.
std::vector<std::string> WriteOnlySettings(std::span<const uint8_t> asked);

/// Empties the write-only setting `name` (its value unknown, so not written).
void ForgetWriteOnlySetting(UserSettings& settings, std::string_view name);

/// Sets one setting from its name and value text. Returns an empty text on
/// success, else why the value was refused (the record is then unchanged).
std::string ApplySettingText(UserSettings& settings, const SetupLists& lists, std::string_view name,
                             std::string_view value);

/// The names and values ApplySettingText takes, one line each, for --help.
const char* SettingNamesHelp();

}  // namespace korva::usersetup

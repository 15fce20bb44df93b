#pragma once
// The keys of each command's `--json` result, in one table: every result of
// a command carries all of them (null where unknown), whatever the outcome,
// so a script reads one shape per command.
#include <QJsonObject>
#include <string>

namespace korva::cli {

/// The version of the result's shape: raised when a key changes meaning or goes away.
inline constexpr int kJsonSchema = 1;

/// The command's own keys with the value they have when nothing is known
/// ("setup read" -> {"settings": null, "unknowns": [], ...}); {} for a name
/// that is no command.
QJsonObject CommandJsonKeys(const std::string& command);

}  // namespace korva::cli

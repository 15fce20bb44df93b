#pragma once
// Settings that travel together in the set-values command: paper width and
// columns, paper type and density, bell type and times, and the two NV sizes
// (448 KByte between them). A write names some settings; what it does not
// name comes from the printer's answers, or, when nothing is read, must be
// named too: the command would otherwise carry a stand-in value.
#include <set>
#include <string>

#include "usersetup/UserSettings.h"

namespace korva::usersetup {

/// For a write that reads nothing first: why the named settings cannot go
/// out as they are ("density needs paper-type ..."), or "" when they can.
/// `named` holds the names given, `settings` their values.
std::string MissingCompanion(const std::set<std::string>& named, const UserSettings& settings);

/// After the printer's answers and the named values are in: fills what the
/// dialog fills when the user picks 58 mm (32 columns, unless the printer's
/// answer or the user chose 30).
void FillCompanions(UserSettings& settings);

/// The settings every set-values command carries whatever is named: the
/// margin (250) and the setup code (255), with their names for messages.
struct AlwaysSent {
    int number;
    const char* name;
};
inline constexpr AlwaysSent kAlwaysSent[] = {{kLeftMargin, "margin"}, {kSetupCode, "setup-code"}};

}  // namespace korva::usersetup

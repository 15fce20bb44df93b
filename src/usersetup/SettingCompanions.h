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

/// A column count named for 80 mm paper (named, or the printer's): 80 mm
/// paper has 48 columns and no choice, so the count would be dropped. Says
/// so with the valid choices; "" when the columns fit the paper.
std::string ColumnsConflict(const std::set<std::string>& named, const UserSettings& settings);

/// After the printer's answers and the named values are in: fills what the
/// dialog fills when the user picks 58 mm (32 columns, unless the printer's
/// answer or the user chose 30).
void FillCompanions(UserSettings& settings);

}  // namespace korva::usersetup

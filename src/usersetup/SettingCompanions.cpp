#include "usersetup/SettingCompanions.h"

#include <array>

namespace korva::usersetup {

namespace {

struct Pair {
    const char* first;
    const char* second;
};

// Each needs the other: the command carries both or neither.
constexpr std::array<Pair, 3> kPairs{{
    {"paper-type", "density"},
    {"bell", "bell-times"},
    {"nv-user", "nv-graphic"},
}};

}  // namespace

std::string MissingCompanion(const std::set<std::string>& named, const UserSettings& settings) {
    for (const Pair& pair : kPairs) {
        const bool first = named.count(pair.first) != 0, second = named.count(pair.second) != 0;
        if (first == second) continue;
        const std::string given = first ? pair.first : pair.second;
        const std::string missing = first ? pair.second : pair.first;
        return given + " needs " + missing + " as well when nothing is read from the printer";
    }
    if (settings.paperWidth == kWidth58mm && named.count("columns") == 0)
        return "paper-width=58 needs columns=30|32 as well when nothing is read from the printer";
    return "";
}

std::string ColumnsConflict(const std::set<std::string>& named, const UserSettings& settings) {
    if (named.count("columns") == 0 || settings.paperWidth != kWidth80mm) return "";
    const std::string columns = settings.column == kColumn30 ? "30" : "32";
    const std::string whose = named.count("paper-width") ? "paper-width=80 is named"
                                                         : "the printer's paper is 80 mm";
    return "columns=" + columns + " is for 58 mm paper, and " + whose +
           ": 80 mm paper has 48 columns and no choice; for 58 mm name paper-width=58 "
           "columns=30|32";
}

void FillCompanions(UserSettings& settings) {
    // Without a column choice 58 mm would go out with the 80 mm code.
    if (settings.paperWidth == kWidth58mm && settings.column == kEmpty) settings.column = kColumn32;
}

}  // namespace korva::usersetup

#pragma once
// The check after a write: the printer's answers to a new read, compared with
// what the set-values command carried, setting by setting.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "usersetup/SetupLists.h"
#include "usersetup/UserSettings.h"

namespace korva::usersetup {

/// One setting the printer does not hold as written.
struct ReadBackDifference {
    std::string name;     ///< as `korva setup read` names it
    std::string written;  ///< the value sent
    std::string readBack; ///< the value answered, "no answer" when none came
    bool operator==(const ReadBackDifference&) const = default;
};

/// The setting numbers a set-values command (GS ( E function 5) carries.
std::vector<uint8_t> SetValuesSettings(std::span<const uint8_t> command);

/// Compares every setting of `command` that the read asked for (`asked`)
/// between `written` (the record the command was built from) and `readBack`
/// (the answers of the read after it; `answered` says which came).
std::vector<ReadBackDifference> CompareReadBack(std::span<const uint8_t> command,
                                                const UserSettings& written,
                                                const UserSettings& readBack,
                                                std::span<const uint8_t> asked,
                                                const std::vector<uint8_t>& answered,
                                                const SetupLists& lists);

/// One line per difference: "speed: written 150, the printer has 220".
std::string DescribeDifferences(const std::vector<ReadBackDifference>& differences);

}  // namespace korva::usersetup

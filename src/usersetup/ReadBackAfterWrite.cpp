#include "usersetup/ReadBackAfterWrite.h"

#include <algorithm>

#include "usersetup/UserSetupExchange.h"

namespace korva::usersetup {

std::optional<std::vector<ReadBackDifference>> ReadBackAfterWrite(
    UserSetupExchange& exchange, const std::function<bool()>& readOnce,
    std::span<const uint8_t> command, const UserSettings& written, const UserSettings& readBack,
    const SetupLists& lists) {
    std::vector<uint8_t> answered;
    for (int round = 0; round < 2 && answered.size() < exchange.RequestList().size(); ++round) {
        if (!readOnce()) return std::nullopt;
        for (uint8_t setting : exchange.RequestList())
            if (exchange.Answered(setting) &&
                std::find(answered.begin(), answered.end(), setting) == answered.end())
                answered.push_back(setting);
    }
    return CompareReadBack(command, written, readBack, exchange.RequestList(), answered, lists);
}

}  // namespace korva::usersetup

#include "usersetup/ReadBack.h"

#include <algorithm>

#include "usersetup/SetupCommands.h"
#include "usersetup/SettingNames.h"

namespace korva::usersetup {
namespace {

constexpr size_t kFirstEntry = 6;  // after 1D 28 45 pL pH 05
constexpr uint8_t kFnSetValues = 0x05;

bool Contains(std::span<const uint8_t> numbers, uint8_t number) {
    return std::find(numbers.begin(), numbers.end(), number) != numbers.end();
}

std::string ValueOf(const std::vector<std::pair<std::string, std::string>>& described,
                    const std::string& name) {
    for (const auto& [n, value] : described)
        if (n == name) return value;
    return "";
}

/// Setup codes are compared as numbers: "00AB" is written as AB.
bool SameValue(const std::string& name, const std::string& a, const std::string& b) {
    if (name == "setup-code") {
        const auto x = ParseSetupCode(a), y = ParseSetupCode(b);
        return x && y && *x == *y;
    }
    return a == b;
}

}  // namespace

std::vector<uint8_t> SetValuesSettings(std::span<const uint8_t> command) {
    std::vector<uint8_t> numbers;
    if (command.size() < kFirstEntry || command[5] != kFnSetValues) return numbers;
    for (size_t pos = kFirstEntry; pos < command.size();) {
        const uint8_t key = command[pos];
        numbers.push_back(key);
        pos += 1 + (key == kSetupCode ? 5 : 2);  // the setup code has four bytes and 04
    }
    return numbers;
}

std::vector<ReadBackDifference> CompareReadBack(std::span<const uint8_t> command,
                                                const UserSettings& written,
                                                const UserSettings& readBack,
                                                std::span<const uint8_t> asked,
                                                const std::vector<uint8_t>& answered,
                                                const SetupLists& lists) {
    const std::vector<uint8_t> sent = SetValuesSettings(command);
    const auto before = DescribeSettings(written, lists);
    const auto after = DescribeSettings(readBack, lists);
    std::vector<ReadBackDifference> differences;
    for (const auto& [name, value] : before) {
        const uint8_t number = SettingNumberOf(name);
        if (!Contains(sent, number) || !Contains(asked, number)) continue;
        if (!Contains(answered, number)) {
            differences.push_back({name, value, "no answer"});
            continue;
        }
        const std::string now = ValueOf(after, name);
        if (!SameValue(name, value, now))
            differences.push_back({name, value, now.empty() ? kUnknownText : now});
    }
    return differences;
}

std::string DescribeDifferences(const std::vector<ReadBackDifference>& differences) {
    std::string text;
    for (const ReadBackDifference& d : differences)
        text += d.name + ": written " + d.written + ", the printer has " + d.readBack + "\n";
    return text;
}

}  // namespace korva::usersetup

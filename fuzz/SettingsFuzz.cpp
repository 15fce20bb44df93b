// The settings a user hands `korva setup write`: the JSON of --from and
// NAME=VALUE operands (here the input's lines). A refused value leaves the
// record as it was, and what `setup read` prints of a record is taken back
// as the same settings.
#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "profile/MemoryProfile.h"
#include "usersetup/SettingNames.h"
#include "usersetup/SettingsJson.h"
#include "usersetup/UserProfile.h"

namespace {
using namespace korva::usersetup;

void Apply(UserSettings& settings, const SetupLists& lists, std::string_view name,
           std::string_view value) {
    const UserSettings before = settings;
    if (!ApplySettingText(settings, lists, name, value).empty() && !(settings == before))
        std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const SetupLists lists = [] {
        korva::profile::MemoryProfile profile;
        return LoadSetupLists(profile);
    }();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    UserSettings settings;
    const SettingTexts json = ReadSettingsJson(QByteArray(text.data(), qsizetype(text.size())));
    if (!json.error.empty() && !json.settings.empty()) std::abort();
    for (const auto& [name, value] : json.settings) Apply(settings, lists, name, value);
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        const size_t eq = line.find('=');
        if (eq != std::string_view::npos) Apply(settings, lists, line.substr(0, eq), line.substr(eq + 1));
        start = end + 1;
    }
    // A fresh record describes its starting margin and empty setup code too;
    // only what differs from it is written back.
    const auto described = DescribeSettings(settings, lists);
    const auto fresh = DescribeSettings(UserSettings{}, lists);
    UserSettings again;
    for (const auto& pair : described) {
        if (std::find(fresh.begin(), fresh.end(), pair) != fresh.end()) continue;
        if (!ApplySettingText(again, lists, pair.first, pair.second).empty()) std::abort();
    }
    if (DescribeSettings(again, lists) != described) std::abort();
    return 0;
}

// The file `korva setup write --from` reads, through the same reader korva
// runs, each setting applied as korva applies it. A refused file yields no
// settings; a read one, written back as NAME=VALUE lines, reads the same.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "profile/MemoryProfile.h"
#include "usersetup/SettingNames.h"
#include "usersetup/SettingsFile.h"
#include "usersetup/UserProfile.h"

namespace {
using namespace korva::usersetup;

/// Whether NAME=VALUE lines can carry the pair unchanged.
bool Writable(const std::string& name, const std::string& value) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    for (const std::string* text : {&name, &value})
        for (char c : *text)
            if (c == '\n' || c == '\0') return false;
    return !name.empty() && name[0] != '#' && name[0] != '{' && name.find('=') == std::string::npos &&
           !blank(name.front()) && (value.empty() || !blank(value.back()));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const SetupLists lists = [] {
        korva::profile::MemoryProfile profile;
        return LoadSetupLists(profile);
    }();
    const SettingsFileResult read = ReadSettingsFile(std::span<const uint8_t>(data, size));
    if (!read.error.empty() && !read.changes.empty()) std::abort();
    UserSettings settings;
    std::string lines;
    bool writable = true;
    for (const auto& [name, value] : read.changes) {
        const UserSettings before = settings;
        // A refused value leaves the record as it was.
        if (!ApplySettingText(settings, lists, name, value).empty() && !(settings == before)) std::abort();
        writable = writable && Writable(name, value);
        lines += name + "=" + value + "\n";
    }
    if (!read.error.empty() || !writable) return 0;
    const std::string& text = lines;
    const SettingsFileResult again =
        ReadSettingsFile(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    if (!again.error.empty() || again.changes != read.changes) std::abort();
    return 0;
}

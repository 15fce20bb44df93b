// Profile text from disk: parse, look up, serialize and parse again. The
// second parse must hold every readable key of the first with the same value.
// Then what the program reads from a profile: the model list, the user setup
// lists of [USER] and the logo list of [LOGO] (a file's geometry is made up
// from its name, so no file is read).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "profile/IniFile.h"
#include "profile/MemoryProfile.h"
#include "profile/ModelRules.h"
#include "logo/LogoListEditor.h"
#include "usersetup/UserProfile.h"

namespace {
using namespace korva;

void ReadProfileValues(std::string_view text) {
    profile::MemoryProfile profile(text);
    if (profile::ModelList(profile).empty()) std::abort();  // the built-in list stands in

    const usersetup::SetupLists lists = usersetup::LoadSetupLists(profile);
    if (lists.receiveBuffers.empty() || lists.codePages.empty()) std::abort();
    for (const std::string& entry : lists.codePages) {
        const int number = usersetup::CodePageNumber(entry);
        if (number < -1 || number > 255) std::abort();
    }

    logo::LogoList list;
    const logo::LogoOptions options{};
    logo::LogoListEditor editor(
        list, options,
        [](const std::string& path, const logo::ImageSizeCheck&) {
            logo::LogoFileInfo info;
            info.width = static_cast<int>(path.size() * 8 % 1100);
            info.height = static_cast<int>(path.size() * 5 % 300);
            info.bitsPerPixel = 1;
            return info;
        },
        [](int, logo::LogoNoticeIcon, const std::string&) {});
    editor.LoadFromProfile(profile);
    if (list.Count() > logo::kMaxLogos) std::abort();
    for (const logo::LogoEntry& entry : list.entries)
        if (entry.NumberValue() < 1 || entry.NumberValue() > logo::kMaxLogos) std::abort();
    if (list.UploadOrder().size() != list.entries.size()) std::abort();
    profile::MemoryProfile saved;
    list.SaveToProfile(saved);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using korva::profile::IniFile;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    IniFile ini = IniFile::Parse(text);
    ini.Find("DEVICELIST", "1");
    ini.Set("LOGO", "Count", "1|2,3");
    const IniFile again = IniFile::Parse(ini.Serialize());
    for (const auto& section : ini.Sections()) {
        for (const auto& key : ini.Keys(section.name)) {
            const std::string* first = ini.Find(section.name, key);
            const std::string* second = again.Find(section.name, key);
            if (first == nullptr || second == nullptr || *first != *second) std::abort();
        }
    }
    ReadProfileValues(text);
    return 0;
}

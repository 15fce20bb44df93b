// Profile text from disk: parse, look up, serialize and parse again. The
// second parse must hold every readable key of the first with the same value.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using korva::app::IniFile;
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
    return 0;
}

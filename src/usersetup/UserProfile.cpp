#include "usersetup/UserProfile.h"

#include <array>
#include <string>

namespace korva::usersetup {
namespace {

constexpr std::array<const char*, 4> kDefaultBuffers{"64", "32", "20", "4"};
constexpr std::array<const char*, 16> kDefaultCodePages{
    "0|PC437 (USA, Std Europe)",  "1|Katakana",
    "2|PC 850 (Multilingual)",    "3|PC 860 (Portuguese)",
    "4|PC 863 (Canadian-French)", "5|PC 865 (Nordic)",
    "16|WPC1252 (Windows CP)",    "17|PC 866 (Cyrillic #2)",
    "18|PC 852 (Latin 2)",        "19|PC 858 (West Euro)",
    "26|WPC 1257 (Baltic)",       "30|PC 775 (Baltic)",
    "32|PC 862 (Hebrew)",         "33|PC 864 (Arabic)",
    "34|PC 737 (Greek)",          "254|SPACE PAGE"};
// The first fill shows this text for number 16; the profile keeps the other.
constexpr const char* kFirstFillCodePage16 = "16|PC1252 (Windows CP)";
// More keys than any printer has pages: a guard against a runaway profile.
constexpr int kMaxEntries = 256;

std::vector<std::string> ReadList(const base::Profile& profile, const char* prefix) {
    std::vector<std::string> list;
    for (int i = 0; i < kMaxEntries; ++i) {
        std::string value = profile.GetString(kUserSection, prefix + std::to_string(i));
        if (value.empty()) break;
        list.push_back(std::move(value));
    }
    return list;
}

template <size_t N>
std::vector<std::string> WriteDefaults(base::Profile& profile, const char* prefix,
                                       const std::array<const char*, N>& defaults) {
    std::vector<std::string> list;
    for (size_t i = 0; i < N; ++i) {
        profile.WriteString(kUserSection, prefix + std::to_string(i), defaults[i]);
        list.emplace_back(defaults[i]);
    }
    return list;
}

}  // namespace

SetupLists LoadSetupLists(base::Profile& profile) {
    SetupLists lists;
    lists.receiveBuffers = ReadList(profile, "R_BUF_SZ");
    if (lists.receiveBuffers.empty())
        lists.receiveBuffers = WriteDefaults(profile, "R_BUF_SZ", kDefaultBuffers);
    lists.codePages = ReadList(profile, "CodePage");
    if (lists.codePages.empty()) {
        lists.codePages = WriteDefaults(profile, "CodePage", kDefaultCodePages);
        lists.codePages[6] = kFirstFillCodePage16;
    }
    return lists;
}

}  // namespace korva::usersetup

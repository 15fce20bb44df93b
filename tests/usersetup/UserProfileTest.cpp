#include <gtest/gtest.h>

#include "profile/MemoryProfile.h"
#include "usersetup/UserProfile.h"

namespace korva::usersetup {
namespace {

TEST(UserProfile, FirstRunWritesTheDefaults) {
    profile::MemoryProfile profile;
    const SetupLists lists = LoadSetupLists(profile);
    EXPECT_EQ(lists.receiveBuffers, (std::vector<std::string>{"64", "32", "20", "4"}));
    ASSERT_EQ(lists.codePages.size(), 16u);
    EXPECT_EQ(lists.codePages[0], "0|PC437 (USA, Std Europe)");
    EXPECT_EQ(lists.codePages[6], "16|PC1252 (Windows CP)");
    EXPECT_EQ(lists.codePages[15], "254|SPACE PAGE");
    EXPECT_EQ(profile.GetString("USER", "R_BUF_SZ3"), "4");
    EXPECT_EQ(profile.GetString("USER", "CodePage6"), "16|WPC1252 (Windows CP)");
    EXPECT_EQ(profile.GetString("USER", "CodePage15"), "254|SPACE PAGE");
    // The second run shows what the profile holds.
    EXPECT_EQ(LoadSetupLists(profile).codePages[6], "16|WPC1252 (Windows CP)");
}

TEST(UserProfile, ListsEndAtTheFirstEmptyKey) {
    profile::MemoryProfile profile(
        "[USER]\nR_BUF_SZ0=128\nR_BUF_SZ1=8\nR_BUF_SZ3=4\nCodePage0=7|Mine\nCodePage1=plain\n");
    const SetupLists lists = LoadSetupLists(profile);
    EXPECT_EQ(lists.receiveBuffers, (std::vector<std::string>{"128", "8"}));
    EXPECT_EQ(lists.codePages, (std::vector<std::string>{"7|Mine", "plain"}));
    EXPECT_EQ(CodePageNumber(lists.codePages[0]), 7);
    EXPECT_EQ(CodePageNumber(lists.codePages[1]), -1);
    EXPECT_EQ(profile.GetString("USER", "R_BUF_SZ2"), "");
}

}  // namespace
}  // namespace korva::usersetup

#include "profile/FileLocations.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/TestDir.h"

using korva::profile::LocationInputs;
using korva::profile::ResolveFileLocations;

TEST(FileLocations, PortableProfileElseTheXdgFolders) {
    korva::test::TestDir dir;
    const std::string cwd = (dir / "work").string(), home = (dir / "home").string();
    std::filesystem::create_directories(cwd);
    struct Row {
        const char* what;
        LocationInputs inputs;
        std::string profile, log;
    } rows[] = {
        {"defaults", {cwd, home, "", ""},
         home + "/.config/korvatool/KorvaTool.INI", home + "/.local/state/korvatool/error.log"},
        {"variables", {cwd, home, "/etc/xdg-c", "/var/xdg-s"},
         "/etc/xdg-c/korvatool/KorvaTool.INI", "/var/xdg-s/korvatool/error.log"},
        {"relative variables are ignored", {cwd, home, "conf", "state"},
         home + "/.config/korvatool/KorvaTool.INI", home + "/.local/state/korvatool/error.log"},
        {"no home at all", {cwd, "", "", ""}, cwd + "/KorvaTool.INI", cwd + "/error.log"},
    };
    for (const Row& row : rows) {
        const auto where = ResolveFileLocations(row.inputs);
        EXPECT_EQ(where.profilePath, row.profile) << row.what;
        EXPECT_EQ(where.logPath, row.log) << row.what;
    }

    std::ofstream(dir / "work" / "KorvaTool.INI") << "";
    const auto portable = ResolveFileLocations({cwd, home, "/etc/xdg-c", "/var/xdg-s"});
    EXPECT_TRUE(portable.portable);
    EXPECT_EQ(portable.profilePath, cwd + "/KorvaTool.INI");
    EXPECT_EQ(portable.logPath, cwd + "/error.log");
}

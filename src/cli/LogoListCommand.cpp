// korva logo list: the logo list as the profile's "LOGO" section holds it,
// each file checked and sized as the logo tool does when it opens.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/IniProfile.h"
#include "app/Messages.h"
#include "cli/Command.h"
#include "logo/LogoListEditor.h"
#include "logo/LogoListServices.h"

namespace korva::cli {
namespace {

constexpr const char* kUsage =
    "usage: korva logo list [--profile FILE] [--gray]\n"
    "  --profile FILE   the profile to read (default: KorvaTool.INI in the working directory\n"
    "                   when one is there, else ~/.config/korvatool/KorvaTool.INI)\n"
    "  --gray           size the logos for gray printing (4 times the 1-bit size)\n";

int Run(const std::vector<std::string>& args) {
    std::string profilePath;
    logo::LogoOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
        if (args[i] == "--profile" && i + 1 < args.size()) {
            profilePath = args[++i];
        } else if (args[i] == "--gray") {
            options.grayPrinting = true;
        } else {
            std::fprintf(stderr, "korva logo list: unexpected '%s'\n%s", args[i].c_str(), kUsage);
            return kExitUsage;
        }
    }
    const bool named = !profilePath.empty();
    std::error_code ignored;
    if (!named) {
        profilePath = app::DefaultProfilePath("KorvaTool");
    } else if (!std::filesystem::exists(std::filesystem::symlink_status(profilePath, ignored))) {
        std::fprintf(stderr, "korva logo list: cannot read profile %s\n", profilePath.c_str());
        return kExitBadInput;
    }
    app::IniProfile profile(profilePath);
    if (!profile.Problem().empty()) {
        std::fprintf(stderr, "korva logo list: profile %s %s: not read%s\n", profilePath.c_str(),
                     profile.Problem().c_str(), named ? "" : ", the built-in settings are used");
        if (named) return kExitBadInput;
    }

    // Every refused file is named with its reason; the tool's own one-time
    // messages go to stderr as well.
    std::map<std::string, std::string> reasons;
    logo::LogoList list;
    logo::LogoListEditor editor(
        list, options,
        [&reasons](const std::string& path) {
            logo::LogoFileInfo info = logo::ProbeLogoFileInfo(path);
            if (!info.ok()) reasons[path] = logo::DescribeBitmapError(info.error);
            return info;
        },
        [](int message, logo::LogoNoticeIcon) {
            std::fprintf(stderr, "%s\n", app::Message(message));
        });
    editor.LoadFromProfile(profile);

    for (int number : list.refusedNumbers) {
        const std::string path =
            profile.GetString(logo::kLogoSection, "Logofile" + std::to_string(number));
        const auto reason = reasons.find(path);
        std::fprintf(stderr, "Logofile%d refused: %s%s%s\n", number, path.c_str(),
                     reason != reasons.end() ? ": " : "",
                     reason != reasons.end() ? reason->second.c_str() : "");
    }
    std::printf("profile: %s\n", profilePath.c_str());
    std::printf(" No.  %-28s %15s  %s\n", "Name", "Size", "Path");
    for (const logo::LogoEntry& e : list.entries)
        std::printf(" %s  %-28s %15s  %s\n", e.number.c_str(), e.name.c_str(), e.size.c_str(),
                    e.path.c_str());
    std::printf("Number of Image Files: %s\n", list.countText.c_str());
    std::printf("Total Image File Size: %s\n", list.sizeText.c_str());
    return kExitOk;
}

const CommandRegistration kLogoList{{
    {"logo", "list"},
    "show the logo list the profile holds",
    Run,
}};

}  // namespace
}  // namespace korva::cli

// korva logo list: the logo list as the profile's "LOGO" section holds it,
// each file checked and sized as the logo tool does when it opens.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "profile/IniProfile.h"
#include "base/Messages.h"
#include "cli/Command.h"
#include "cli/JsonReport.h"
#include "cli/RunReason.h"
#include "cli/Output.h"
#include "cli/TextWidth.h"
#include "logo/LogoListEditor.h"
#include "logo/LogoListServices.h"

namespace korva::cli {
namespace {

int Run(const ParsedOptions& options) {
    if (!options.Operands().empty()) return UsageError("unexpected argument " + options.Operands()[0]);
    std::string profilePath = options.Get("profile");
    logo::LogoOptions logoOptions;
    logoOptions.grayPrinting = options.Has("gray");
    const bool named = !profilePath.empty();
    std::error_code ignored;
    if (!named) {
        profilePath = profile::DefaultProfilePath("KorvaTool");
    } else if (!std::filesystem::exists(std::filesystem::symlink_status(profilePath, ignored))) {
        SetReason(base::Reason::FileIo, Subject::File, profilePath);
        Error("cannot read file " + profilePath);
        return kExitBadInput;
    }
    profile::IniProfile profile(profilePath);
    if (!profile.Problem().empty()) {
        const std::string why = "profile " + profilePath + " " + profile.Problem() + ": not read";
        if (named) {
            SetReason(base::Reason::FileIo, Subject::File, profilePath);
            Error(why);
            return kExitBadInput;
        }
        Note(why + ", the built-in settings are used");
    }

    // Every refused file is named with its reason; the tool's own one-time
    // messages go to stderr as well.
    std::map<std::string, std::string> reasons;
    logo::LogoList list;
    logo::LogoListEditor editor(
        list, logoOptions,
        [&reasons](const std::string& path, const logo::ImageSizeCheck& check) {
            logo::LogoFileInfo info = logo::ProbeLogoFileInfo(path, check);
            if (!info.ok()) reasons[path] = logo::DescribeBitmapError(info.error);
            return info;
        },
        [](int message, logo::LogoNoticeIcon, const std::string&) {
            if (message != logo::kNoLogoMessage) Note(base::Message(message));
        });
    editor.LoadFromProfile(profile);

    QJsonArray refused;
    for (int number : list.refusedNumbers) {
        const std::string path =
            profile.GetString(logo::kLogoSection, "Logofile" + std::to_string(number));
        const auto reason = reasons.find(path);
        const std::string why = reason != reasons.end() ? reason->second : "";
        Note("Logofile" + std::to_string(number) + " refused: " + path + (why.empty() ? "" : ": " + why));
        refused.append(QJsonObject{{"number", number},
                                   {"path", QString::fromStdString(path)},
                                   {"refused", QString::fromStdString(why.empty() ? "refused" : why)}});
    }
    if (Mode().json) {
        QJsonArray logos;
        for (const logo::LogoEntry& e : list.entries)
            logos.append(QJsonObject{{"number", e.NumberValue()},
                                     {"name", QString::fromStdString(e.name)},
                                     {"bytes", static_cast<qint64>(e.SizeValue())},
                                     {"path", QString::fromStdString(e.path)}});
        JsonReport(Outcome::Done)
            .Set("profile", profilePath)
            .Set("logos", logos)
            .Set("refused", refused)
            .Set("count", static_cast<long long>(list.entries.size()))
            .Set("bytes", static_cast<long long>(list.totalBytes))
            .Print();
        return kExitOk;
    }
    std::printf("profile: %s\n", profilePath.c_str());
    std::printf(" No.  %s %15s  %s\n", PadToWidth("Name", 28).c_str(), "Size", "Path");
    for (const logo::LogoEntry& e : list.entries)
        std::printf(" %s  %s %15s  %s\n", e.number.c_str(), PadToWidth(e.name, 28).c_str(),
                    e.size.c_str(), e.path.c_str());
    std::printf("Number of Image Files: %s\n", list.countText.c_str());
    std::printf("Total Image File Size: %s\n", list.sizeText.c_str());
    return kExitOk;
}

const CommandRegistration kLogoList{{
    {"logo", "list"},
    "show the logo list the profile holds",
    "[--profile FILE] [--gray]",
    "Shows the logo list of the profile's \"LOGO\" section, each file checked and\n"
    "sized as the logo tool does when it opens.",
    {
        {"profile", 0, "FILE", "the profile to read (default: KorvaTool.INI in\n"
                               "the working directory when one is there, else\n"
                               "~/.config/korvatool/KorvaTool.INI)"},
        {"gray", 0, "", "size the logos for gray printing (4 times the\n"
                        "1-bit size)"},
    },
    Run,
}};

}  // namespace
}  // namespace korva::cli

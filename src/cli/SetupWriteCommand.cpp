// korva setup write: changes user settings. The printer's current settings
// are read first, so the ones not named keep their values (the margin and the
// setup code are always part of the command). What `korva setup read`
// prints is taken back unchanged: a read-only value equal to the printer's
// is skipped.
#include <QFile>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "base/MessageBox.h"
#include "base/Messages.h"
#include "cli/Command.h"
#include "cli/DeviceRootsEnv.h"
#include "cli/LogoCommandSupport.h"
#include "cli/Output.h"
#include "cli/SetupCommand.h"
#include "cli/Signals.h"
#include "usersetup/SettingCompanions.h"
#include "usersetup/SettingNames.h"
#include "usersetup/SettingsJson.h"
#include "usersetup/SetupCommands.h"
#include "usersetup/SetupSession.h"

namespace korva::cli {
namespace {

/// Settings the printer reports but does not take.
constexpr const char* kReadOnly[] = {"reserved"};

struct Change {
    std::string name, value;
};

bool IsReadOnly(const std::string& name) {
    for (const char* readOnly : kReadOnly)
        if (name == readOnly) return true;
    return false;
}

/// The value `name` has in `settings` as `setup read` prints it, "" when none.
std::string DescribedValue(const usersetup::UserSettings& settings,
                           const usersetup::SetupLists& lists, const std::string& name) {
    for (const auto& [described, value] : usersetup::DescribeSettings(settings, lists))
        if (described == name) return value;
    return "";
}

/// The settings of a JSON object as `korva setup read --json` prints it
/// ({"settings":{NAME:VALUE,...}}, with or without the rest); read-only
/// settings are left out, as another printer cannot take them. nullopt after
/// saying why.
std::optional<std::vector<Change>> SettingsFromFile(const std::string& path) {
    QFile file;
    const bool opened = path == "-" ? file.open(stdin, QIODevice::ReadOnly)
                                    : (file.setFileName(QString::fromStdString(path)),
                                       file.open(QIODevice::ReadOnly));
    if (!opened) {
        Error("cannot read " + path);
        return std::nullopt;
    }
    const usersetup::SettingTexts read = usersetup::ReadSettingsJson(file.readAll());
    if (!read.error.empty()) {
        Error(path + ": " + read.error);
        return std::nullopt;
    }
    std::vector<Change> changes;
    for (const auto& [name, value] : read.settings)
        if (!IsReadOnly(name)) changes.push_back({name, value});
    return changes;
}

/// A refused answer for a setting every command carries: writing would put
/// the starting value (0) in its place. "" when there is none.
std::string UnreadableAlwaysSent(const usersetup::SetupSession& session,
                                 const std::set<std::string>& named) {
    for (const usersetup::SettingReply& reply : session.Refused())
        for (const usersetup::AlwaysSent& always : usersetup::kAlwaysSent)
            if (reply.number == always.number && named.count(always.name) == 0)
                return std::string("the printer's ") + always.name + " (setting " +
                       std::to_string(always.number) + ") could not be read from its answer \"" +
                       reply.data + "\"; nothing written (name " + always.name +
                       "=... to write it)";
    return "";
}

int runWrite(const ParsedOptions& parsed) {
    const std::optional<SetupOptions> options = ParseSetupOptions(parsed);
    if (!options) return kExitUsage;
    const bool defaults = parsed.Has("defaults");
    const bool noRead = parsed.Has("no-read");
    std::vector<Change> given, changes, readOnly;
    const usersetup::SetupLists lists = ProgramSetupLists();
    if (parsed.Has("from")) {
        std::optional<std::vector<Change>> fromFile = SettingsFromFile(parsed.Get("from"));
        if (!fromFile) return kExitBadInput;
        given = std::move(*fromFile);
    }
    const size_t fromFileCount = given.size();
    for (const std::string& arg : parsed.Operands()) {
        const size_t eq = arg.find('=');
        if (eq == std::string::npos) return UsageError("unexpected argument " + arg);
        given.push_back({arg.substr(0, eq), arg.substr(eq + 1)});
    }
    // Every value is checked, and what goes together is complete, before
    // anything goes to the printer.
    usersetup::UserSettings named;
    std::set<std::string> names;
    for (size_t i = 0; i < given.size(); ++i) {
        Change& change = given[i];
        if (IsReadOnly(change.name)) {
            readOnly.push_back(std::move(change));
            continue;
        }
        const std::string why =
            usersetup::ApplySettingText(named, lists, change.name, change.value);
        if (!why.empty() && i < fromFileCount) {
            Error(parsed.Get("from") + ": " + why);
            return kExitBadInput;
        }
        if (!why.empty()) return UsageError(why);
        names.insert(change.name);
        changes.push_back(std::move(change));
    }
    if (changes.empty() && readOnly.empty() && !defaults)
        return UsageError("name at least one NAME=VALUE, or --defaults or --from FILE");

    base::CErrorLog& log = base::ErrorLog();
    StderrMessages messages;
    usersetup::SetupSession session(options->connection, log, DeviceRootsFromEnvironment());
    const bool file =
        session.Kind() == port::PortKind::File || session.Kind() == port::PortKind::OutputFile;
    const bool readFirst = !noRead && !defaults && !file;
    if (!readFirst && !readOnly.empty())
        return UsageError(readOnly[0].name + " cannot be changed");
    if (!readFirst && !defaults)
        if (const std::string why = usersetup::MissingCompanion(names, named); !why.empty())
            return UsageError(why);
    StopScope stop(StopMode::AtOnce, "interrupted before anything was written; the printer is unchanged");
    if (!session.Connect()) return kExitPrinter;
    usersetup::UserSettings settings;
    if (readFirst) {
        std::vector<int> missing;
        if (!session.Read(settings, lists, options->timeoutMs, missing)) {
            Error("the printer did not answer every setting; nothing written (--no-read writes the "
                  "named settings alone)");
            return kExitPrinter;
        }
        if (const std::string why = UnreadableAlwaysSent(session, names); !why.empty()) {
            Error(why);
            return kExitPrinter;
        }
    }
    for (const Change& change : readOnly)
        if (DescribedValue(settings, lists, change.name) != change.value)
            return UsageError(change.name + " cannot be changed (the printer has " + change.name +
                              "=" + DescribedValue(settings, lists, change.name) + ")");
    const std::string stopBitsBefore = readFirst ? DescribedValue(settings, lists, "stop-bits") : "";
    if (defaults) usersetup::ApplyDefaults(settings, lists);
    for (const Change& change : changes)
        usersetup::ApplySettingText(settings, lists, change.name, change.value);
    usersetup::FillCompanions(settings);
    if (!usersetup::NvMemoryTotalFits(settings)) {
        char text[256];
        std::snprintf(text, sizeof text, base::Message(base::kMsgNvMemoryOutOfRange),
                      usersetup::kMaxNvTotalKb);
        base::ShowMessage(text);
        return kExitUsage;
    }
    // The warning is for a stop-bit value that changes, not one written back as it was.
    const std::string stopBitsAfter = DescribedValue(settings, lists, "stop-bits");
    if (settings.stopBits != usersetup::kEmpty && stopBitsAfter != stopBitsBefore)
        base::ShowMessage(base::Message(base::kMsgStopBitWarning));
    stop.Change(StopMode::Unstoppable, "the settings are being written; they cannot be stopped");
    if (!session.Write(settings, lists)) return kExitPrinter;
    usersetup::PrepareForWrite(settings);
    PrintSettings(settings, lists);
    return kExitOk;
}

const CommandRegistration kWrite{{
    {"setup", "write"},
    "change the printer's user settings",
    "--port P [connection options] [--defaults] [--no-read]\n"
    "                         [--from FILE] [--timeout MS] NAME=VALUE...",
    "Reads the printer's user settings, changes the named ones and writes them back,\n"
    "then prints the settings written. What 'korva setup read' prints is taken back\n"
    "unchanged: korva setup write -p P $(korva setup read -p P)\n"
    "Settings that go together (paper-type and density, bell and bell-times,\n"
    "nv-user and nv-graphic, paper-width=58 and columns) are taken from the\n"
    "printer's answers when only one is named, and must both be named with\n"
    "--no-read. paper-width=58 alone keeps the printer's columns, else 32.",
    SetupOptionSpecs({
        {"defaults", 0, "",
         "start from the factory settings instead of the\n"
         "printer's"},
        {"no-read", 0, "",
         "do not read first: only the named settings (and\n"
         "margin 0, setup code 0 unless named) are sent"},
        {"from", 0, "FILE",
         "the settings of another printer, as 'korva setup read\n"
         "--json' printed them (- for standard input); NAME=VALUE\n"
         "words given as well take precedence"},
    }),
    runWrite,
    std::string("Settings:\n") + usersetup::SettingNamesHelp(),
}};

}  // namespace
}  // namespace korva::cli

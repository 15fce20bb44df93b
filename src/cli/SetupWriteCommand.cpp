// korva setup write: changes user settings. The printer's current settings
// are read first, so the ones not named keep their values (the margin and the
// setup code are always part of the command). What `korva setup read`
// prints is taken back unchanged: a read-only value equal to the printer's
// is skipped.
#include <cstdio>
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
#include "usersetup/SettingNames.h"
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

int runWrite(const ParsedOptions& parsed) {
    const std::optional<SetupOptions> options = ParseSetupOptions(parsed);
    if (!options) return kExitUsage;
    const bool defaults = parsed.Has("defaults");
    const bool noRead = parsed.Has("no-read");
    std::vector<Change> changes, readOnly;
    const usersetup::SetupLists lists = ProgramSetupLists();
    usersetup::UserSettings scratch;
    for (const std::string& arg : parsed.Operands()) {
        const size_t eq = arg.find('=');
        if (eq == std::string::npos) return UsageError("unexpected argument " + arg);
        Change change{arg.substr(0, eq), arg.substr(eq + 1)};
        if (IsReadOnly(change.name)) {
            readOnly.push_back(std::move(change));
            continue;
        }
        // Refuse a bad value before anything goes to the printer.
        const std::string why = usersetup::ApplySettingText(scratch, lists, change.name, change.value);
        if (!why.empty()) return UsageError(why);
        changes.push_back(std::move(change));
    }
    if (changes.empty() && readOnly.empty() && !defaults)
        return UsageError("name at least one NAME=VALUE, or --defaults");

    base::CErrorLog log;
    StderrMessages messages;
    usersetup::SetupSession session(options->connection, log, DeviceRootsFromEnvironment());
    const bool file =
        session.Kind() == port::PortKind::File || session.Kind() == port::PortKind::OutputFile;
    const bool readFirst = !noRead && !defaults && !file;
    if (!readFirst && !readOnly.empty())
        return UsageError(readOnly[0].name + " cannot be changed");
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
    }
    for (const Change& change : readOnly)
        if (DescribedValue(settings, lists, change.name) != change.value)
            return UsageError(change.name + " cannot be changed (the printer has " + change.name +
                              "=" + DescribedValue(settings, lists, change.name) + ")");
    const std::string stopBitsBefore = readFirst ? DescribedValue(settings, lists, "stop-bits") : "";
    if (defaults) usersetup::ApplyDefaults(settings, lists);
    for (const Change& change : changes)
        usersetup::ApplySettingText(settings, lists, change.name, change.value);
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
    "                         [--timeout MS] NAME=VALUE...",
    "Reads the printer's user settings, changes the named ones and writes them back,\n"
    "then prints the settings written. What 'korva setup read' prints is taken back\n"
    "unchanged: korva setup write -p P $(korva setup read -p P)",
    SetupOptionSpecs({
        {"defaults", 0, "", "start from the factory settings instead of the\n"
                            "printer's"},
        {"no-read", 0, "", "do not read first: only the named settings (and\n"
                           "margin 0, setup code 0 unless named) are sent"},
    }),
    runWrite,
    std::string("Settings:\n") + usersetup::SettingNamesHelp(),
}};

}  // namespace
}  // namespace korva::cli

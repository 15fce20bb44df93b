// korva setup write: changes user settings. The printer's current settings
// are read first, so the ones not named keep their values (the margin and the
// setup code are always part of the command).
#include <cstdio>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "base/MessageBox.h"
#include "base/Messages.h"
#include "cli/Command.h"
#include "cli/DeviceRootsEnv.h"
#include "cli/LogoCommandSupport.h"
#include "cli/SetupCommand.h"
#include "usersetup/SettingNames.h"
#include "usersetup/SetupCommands.h"
#include "usersetup/SetupSession.h"

namespace korva::cli {
namespace {

constexpr const char* kUsageHead =
    "usage: korva setup write --port P [connection options] [--defaults] [--no-read]\n"
    "                         [--timeout MS] [--json] NAME=VALUE...\n"
    "Reads the printer's user settings, changes the named ones and writes them back.\n\n"
    "  --defaults           start from the factory settings instead of the printer's\n"
    "  --no-read            do not read first: only the named settings (and margin 0,\n"
    "                       setup code 0 unless named) are sent\n"
    "  --timeout MS         how long the first read waits for every answer, default 5000\n"
    "  --json               print the settings written as one JSON object\n\n"
    "Settings:\n";

std::string Usage() { return std::string(kUsageHead) + usersetup::SettingNamesHelp(); }

struct Change {
    std::string name, value;
};

int runWrite(const std::vector<std::string>& args) {
    const std::string usage = Usage();
    SetupOptions options;
    if (const int code = ParseSetupOptions(args, "write", usage.c_str(), options); code >= 0)
        return code;
    bool defaults = false, noRead = false;
    std::vector<Change> changes;
    const usersetup::SetupLists lists = ProgramSetupLists();
    usersetup::UserSettings scratch;
    for (const std::string& arg : options.rest) {
        if (arg == "--defaults") {
            defaults = true;
            continue;
        }
        if (arg == "--no-read") {
            noRead = true;
            continue;
        }
        const size_t eq = arg.find('=');
        if (eq == std::string::npos || arg.rfind("--", 0) == 0)
            return SetupUsageError("write", usage.c_str(), "unexpected argument " + arg);
        Change change{arg.substr(0, eq), arg.substr(eq + 1)};
        // Refuse a bad value before anything goes to the printer.
        const std::string why =
            usersetup::ApplySettingText(scratch, lists, change.name, change.value);
        if (!why.empty()) return SetupUsageError("write", usage.c_str(), why);
        changes.push_back(std::move(change));
    }
    if (changes.empty() && !defaults)
        return SetupUsageError("write", usage.c_str(),
                               "name at least one NAME=VALUE, or --defaults");

    base::CErrorLog log;
    StderrMessages messages;
    usersetup::SetupSession session(options.connection, log, DeviceRootsFromEnvironment());
    const bool file =
        session.Kind() == port::PortKind::File || session.Kind() == port::PortKind::OutputFile;
    if (!session.Connect()) return kExitPrinter;
    usersetup::UserSettings settings;
    if (!noRead && !defaults && !file) {
        std::vector<int> missing;
        if (!session.Read(settings, lists, options.timeoutMs, missing)) {
            std::fprintf(stderr,
                         "korva: the printer did not answer every setting; nothing written "
                         "(--no-read writes the named settings alone)\n");
            return kExitPrinter;
        }
    }
    bool stopBitsChanged = false;
    if (defaults) {
        usersetup::ApplyDefaults(settings, lists);
        stopBitsChanged = true;
    }
    for (const Change& change : changes) {
        usersetup::ApplySettingText(settings, lists, change.name, change.value);
        stopBitsChanged = stopBitsChanged || change.name == "stop-bits";
    }
    if (!usersetup::NvMemoryTotalFits(settings)) {
        char text[256];
        std::snprintf(text, sizeof text, base::Message(base::kMsgNvMemoryOutOfRange),
                      usersetup::kMaxNvTotalKb);
        base::ShowMessage(text);
        return kExitUsage;
    }
    if (stopBitsChanged && settings.stopBits != usersetup::kEmpty)
        base::ShowMessage(base::Message(base::kMsgStopBitWarning));
    if (!session.Write(settings, lists)) return kExitPrinter;
    usersetup::PrepareForWrite(settings);
    PrintSettings(settings, lists, options.json);
    return kExitOk;
}

const CommandRegistration kWrite{
    {{"setup", "write"}, "change the printer's user settings", runWrite}};

}  // namespace
}  // namespace korva::cli

// korva setup read: asks the printer for every user setting and prints them.
#include <cstdio>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "cli/Command.h"
#include "cli/DeviceRootsEnv.h"
#include "cli/LogoCommandSupport.h"
#include "cli/SetupCommand.h"
#include "usersetup/SetupSession.h"

namespace korva::cli {
namespace {

constexpr const char* kUsage =
    "usage: korva setup read --port P [connection options] [--timeout MS] [--json]\n"
    "Reads the printer's user settings and prints them as NAME=VALUE lines.\n\n"
    "  --timeout MS         how long to wait for every answer, default 5000\n"
    "  --json               print one JSON object {\"settings\":{...}} instead\n";

int runRead(const std::vector<std::string>& args) {
    SetupOptions options;
    if (const int code = ParseSetupOptions(args, "read", kUsage, options); code >= 0) return code;
    if (!options.rest.empty())
        return SetupUsageError("read", kUsage, "unexpected argument " + options.rest[0]);

    base::CErrorLog log;
    StderrMessages messages;
    usersetup::SetupSession session(options.connection, log, DeviceRootsFromEnvironment());
    const port::PortKind kind = session.Kind();
    if (kind == port::PortKind::File || kind == port::PortKind::OutputFile)
        return SetupUsageError("read", kUsage, "a file cannot answer; give a printer port");
    if (!session.Connect()) return kExitPrinter;
    const usersetup::SetupLists lists = ProgramSetupLists();
    usersetup::UserSettings settings;
    std::vector<int> missing;
    const bool complete = session.Read(settings, lists, options.timeoutMs, missing);
    if (!missing.empty()) {
        std::string numbers;
        for (int n : missing) numbers += " " + std::to_string(n);
        std::fprintf(stderr, "korva: no answer for setting%s%s\n", missing.size() > 1 ? "s" : "",
                     numbers.c_str());
    }
    if (!complete) return kExitPrinter;
    PrintSettings(settings, lists, options.json);
    return kExitOk;
}

const CommandRegistration kRead{{{"setup", "read"}, "read the printer's user settings", runRead}};

}  // namespace
}  // namespace korva::cli

// korva setup test-page: prints the user setup's test page.
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
    "usage: korva setup test-page --port P [connection options]\n"
    "Prints the test page: a title, colour and digit rows, the upper half of\n"
    "the code page, then a cut.\n";

int runTestPage(const std::vector<std::string>& args) {
    SetupOptions options;
    if (const int code = ParseSetupOptions(args, "test-page", kUsage, options); code >= 0)
        return code;
    if (!options.rest.empty())
        return SetupUsageError("test-page", kUsage, "unexpected argument " + options.rest[0]);
    base::CErrorLog log;
    StderrMessages messages;
    usersetup::SetupSession session(options.connection, log, DeviceRootsFromEnvironment());
    if (!session.Connect() || !session.TestPage()) return kExitPrinter;
    std::fprintf(stderr, "korva: test page sent\n");
    return kExitOk;
}

const CommandRegistration kTestPage{
    {{"setup", "test-page"}, "print the user setup test page", runTestPage}};

}  // namespace
}  // namespace korva::cli

// korva setup test-page: prints the user setup's test page.
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/DeviceRootsEnv.h"
#include "cli/JsonReport.h"
#include "cli/LogoCommandSupport.h"
#include "cli/Output.h"
#include "cli/RequireConfirmed.h"
#include "cli/SetupCommand.h"
#include "cli/Signals.h"
#include "cli/TargetLock.h"
#include "usersetup/SetupSession.h"

namespace korva::cli {
namespace {

int RunTestPage(const ParsedOptions& parsed) {
    const std::optional<SetupOptions> options = ParseSetupOptions(parsed);
    if (!options) return kExitUsage;
    if (!parsed.Operands().empty()) return UsageError("unexpected argument " + parsed.Operands()[0]);
    if (const int code = LockTarget(options->connection, parsed); code >= 0) return code;
    base::CErrorLog& log = base::ErrorLog();
    StderrMessages messages;
    usersetup::SetupSession session(options->connection, log, DeviceRootsFromEnvironment());
    StopScope stop(StopMode::Unstoppable, "the test page is on its way; it cannot be stopped");
    if (!session.Connect()) return SetSessionReason(session, options->connection, false), kExitPrinter;
    if (!session.TestPage()) return SetSessionReason(session, options->connection, true), kExitPrinter;
    const bool confirmed = session.Reason() == base::Reason::None;
    Note(confirmed ? "test page printed" : "test page sent, not confirmed");
    const int code = ConfirmedExit(parsed, kExitOk, confirmed);
    JsonReport(code).Set("confirmed", confirmed).Print();
    return code;
}

const CommandRegistration kTestPage{{
    {"setup", "test-page"},
    "print the user setup test page",
    "--port P [connection options]",
    "Prints the test page: a title, colour and digit rows, the upper half of\n"
    "the code page, then a cut.",
    WithConnectionOptions({RequireConfirmedOption()}),
    RunTestPage,
}};

}  // namespace
}  // namespace korva::cli

#include "cli/RequireConfirmed.h"

#include <cstdlib>
#include <string>

#include "cli/ExitCode.h"
#include "cli/Output.h"
#include "cli/RunReason.h"

namespace korva::cli {

namespace {

bool Required(const ParsedOptions& options) {
    if (options.Has("require-confirmed")) return true;
    const char* env = std::getenv("KORVA_REQUIRE_CONFIRMED");
    return env != nullptr && std::string(env) != "" && std::string(env) != "0";
}

}  // namespace

OptionSpec RequireConfirmedOption() {
    return {"require-confirmed", 0, "",
            "fail (exit 1, reason confirm-required) when the printer\n"
            "does not confirm it; also KORVA_REQUIRE_CONFIRMED=1"};
}

int ConfirmedExit(const ParsedOptions& options, int code, bool confirmed) {
    if (code != kExitOk || confirmed || !Required(options)) return code;
    SetReason(base::Reason::ConfirmRequired);
    Error("sent, not confirmed: the printer gave no answer that proves it has it, and a "
          "confirmation is required");
    return kExitPrinter;
}

}  // namespace korva::cli

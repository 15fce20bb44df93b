#pragma once
// --require-confirmed (or KORVA_REQUIRE_CONFIRMED=1 for a whole fleet run):
// "sent, not confirmed" is a failure of its own (reason confirm-required)
// instead of done. For a state engine that must know the printer has it.
#include "cli/Options.h"

namespace korva::cli {

OptionSpec RequireConfirmedOption();

/// The exit code of a run that ended `code` with the printer's confirmation
/// `confirmed`: a done run not confirmed becomes exit 1 when confirmation is
/// required (said on stderr, reason recorded).
int ConfirmedExit(const ParsedOptions& options, int code, bool confirmed);

}  // namespace korva::cli

#pragma once
// The exit codes of `korva`: each means one thing, so a script can act on it.

namespace korva::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitPrinter = 1,     ///< printer or port failure (also a failed write to standard output)
    kExitUsage = 2,       ///< bad command line, unknown model, model mismatch
    kExitBadInput = 3,    ///< bad input file, unwritable output file
    kExitReadUnknowns = 4, ///< read, with unknowns: some answers were no value the printer takes
    kExitHangUp = 129,    ///< cancelled by SIGHUP (128 + 1): the terminal or ssh session went
    kExitInterrupt = 130, ///< cancelled by SIGINT (128 + 2), as shells report it
    kExitTerminate = 143, ///< cancelled by SIGTERM (128 + 15)
};

}  // namespace korva::cli

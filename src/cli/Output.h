#pragma once
// What `korva` says and where: results on standard output (checked, so a
// full disk is a failure), notes and errors on standard error as
// "korva <command>: text", progress only where a person watches.
#include <string>

#include "base/ShortText.h"

namespace korva::cli {

using base::ShortQuote;

/// -q, -v, -j of the command line, and the command's name for messages.
struct OutputMode {
    bool quiet = false;    ///< errors only on stderr
    bool verbose = false;  ///< also the technical log lines
    bool json = false;     ///< results (and failures) as one JSON object on stdout
    std::string command;   ///< "logo upload"; "" before a command is known
};

void SetOutputMode(OutputMode mode);
const OutputMode& Mode();

/// "korva logo upload: text" (or "korva: text") on stderr, unless -q.
void Note(const std::string& text);
/// The same, always; the last error is what a JSON failure reports.
void Error(const std::string& text);
/// The last text given to Error(), "" when none.
const std::string& LastError();

/// A technical log line, shown with -v.
void Verbose(const std::string& text);

/// Whether a status line may be rewritten in place: stderr is a terminal
/// whose TERM is set and not "dumb", and -q is off.
bool ProgressInPlace();
/// Whether progress is shown at all (not under -q).
bool ProgressShown();

/// Flushes and closes standard output; false with `why` set when any write
/// to it failed (a full disk, a closed pipe).
bool CloseStdout(std::string& why);

}  // namespace korva::cli

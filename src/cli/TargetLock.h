#pragma once
// One korva run at a time per Ethernet printer on this host. A serial,
// parallel or USB port is held exclusively by its open already; a TCP
// printer takes any number of connections, so two runs would interleave
// their streams. The lock is a file per address and port (the address as
// resolved, so two spellings of it share one), held (flock) until the run is
// over: released before standard output is closed, so the next command of a
// pipe (`korva setup read ... | korva setup write ... --from -`) finds it free.
#include "cli/Options.h"
#include "port/Connection.h"

namespace korva::cli {

/// --wait-lock SECONDS: how long to wait for another run aimed at the same printer.
OptionSpec WaitLockOption();

/// Takes the printer's lock when the connection is an Ethernet printer.
/// Returns -1 to go on, else the exit code after telling why (reason busy).
/// --wait-lock on a local port is refused (a usage error).
int LockTarget(const port::ConnectionSettings& settings, const ParsedOptions& options);

/// Lets go of the printer's lock (its file removed first): the run is done
/// with the printer.
void ReleaseTargetLock();

/// Removes the lock file this run holds, so that lock files do not pile up
/// (one per address and port ever used). Called as the program ends, also
/// from a signal handler (async-signal-safe).
void RemoveHeldLock();

}  // namespace korva::cli

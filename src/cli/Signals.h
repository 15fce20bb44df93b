#pragma once
// SIGINT, SIGTERM and SIGHUP in `korva`. The first one is acknowledged at once on
// stderr; what happens next depends on what the command is doing: ending
// at once (nothing half-done can be left), stopping at the next safe point,
// or carrying on because the printer already has the data. A second signal
// always ends the program at once. A cancel exits 130 (SIGINT), 143
// (SIGTERM) or 129 (SIGHUP: the terminal or ssh session went), as shells expect.
#include <string>

namespace korva::cli {

enum class StopMode {
    AtOnce,       ///< the first signal ends the program
    AtSafePoint,  ///< the command checks StopRequested() and stops itself
    Unstoppable,  ///< the work cannot be stopped; it runs to its end, unless the printer stopped taking data
};

/// Installs the handlers; called once by main.
void InstallSignalHandlers();

/// While alive, signals act as `mode`; `acknowledgement` is what the first
/// signal prints (one line, without "korva: " and the newline).
class StopScope {
public:
    StopScope(StopMode mode, const std::string& acknowledgement);
    ~StopScope();
    StopScope(const StopScope&) = delete;
    StopScope& operator=(const StopScope&) = delete;

    /// Changes the mode and text of this scope (a download that reaches the
    /// point of no return).
    void Change(StopMode mode, const std::string& acknowledgement);

private:
    StopMode m_OldMode;
    std::string m_OldText;
};

/// A note the program adds when a signal ends it at once: what the printer
/// may hold at this moment (one line, no quotes). Empty: none.
void SetStopNote(const std::string& note);

/// The command's own keys for the JSON result a signal writes when it ends
/// the program at once: JSON members without the outer braces
/// ("\"port\":\"/dev/ttyUSB0\",\"settings\":null"), so a cancelled result
/// keeps the keys of the command's other results. Empty: none.
void SetStopKeys(const std::string& members);

/// Whether a SIGINT, SIGTERM or SIGHUP has arrived.
bool StopRequested();
/// 130 after SIGINT, 143 after SIGTERM, 129 after SIGHUP (130 when none came).
int StopExitCode();

}  // namespace korva::cli

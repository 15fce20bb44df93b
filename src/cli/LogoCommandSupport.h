#pragma once
// Pieces the logo commands of `korva` share: the connection they write to,
// messages on stderr, Ctrl-C as Cancel, progress lines.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Clock.h"
#include "base/ErrorLog.h"
#include "base/StepEngine.h"
#include "cli/Signals.h"
#include "port/ByteStream.h"
#include "port/Connection.h"

namespace korva::cli {

/// What a logo command writes to: the port object for serial, parallel and
/// USB printers, or the TCP link for ETHERNET_II (with the Qt event loop it
/// needs), set up from the parsed connection but not opened. With an
/// `outputFile` (as --out gave it; "-" standard output) the stream writes
/// that file instead (the "FILE" port), under a temporary name until
/// FinishOutput().
class LogoConnection {
public:
    LogoConnection(const port::ConnectionSettings& settings, const std::string& outputFile,
                   base::CErrorLog& log);
    ~LogoConnection();
    LogoConnection(const LogoConnection&) = delete;
    LogoConnection& operator=(const LogoConnection&) = delete;

    port::ByteStream& Stream() { return *m_Stream; }
    /// Ends the output file: renamed to its name when the command
    /// `succeeded`, else removed with the file's error told. Returns whether
    /// the file is there whole (true without an output file when `succeeded`).
    bool FinishOutput(bool succeeded);
    /// Real time; over TCP the waits also run the socket's event loop.
    base::Clock& Clock() { return *m_Clock; }

private:
    struct Parts;
    std::unique_ptr<Parts> m_Parts;
    port::ByteStream* m_Stream = nullptr;
    base::Clock* m_Clock = nullptr;
    std::string m_OutputName;
};

/// While alive, message boxes go to stderr as "korva <command>: <text>"
/// (information only without -q); questions are answered Yes (the command line itself is the user's confirmation).
class StderrMessages {
public:
    /// `toFile`: the stream goes to a file, so no paper feed is announced.
    explicit StderrMessages(bool toFile = false);
    ~StderrMessages();
    StderrMessages(const StderrMessages&) = delete;
    StderrMessages& operator=(const StderrMessages&) = delete;
};

/// Keeps a status text up to date on stderr: rewritten in place on a
/// terminal; into a log or pipe at most one line every 10 s, and the last one.
class ProgressLine {
public:
    ProgressLine();
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Show(const std::string& status);
    /// Ends the line, printing the last status if it was held back.
    void Finish();
    /// Finishes the line in use, if any, so a message comes after the status
    /// that led to it.
    static void FinishActive();

private:
    std::string m_Last;
    std::string m_Printed;
    int64_t m_PrintedAt = -1000000;
    bool m_InPlace = false;
};

/// Whether a message box text reports success: a note, not an error (-q
/// hides it).
bool IsSuccessNotice(const std::string& text);

/// Whether a message box text speaks of a port where the stream is a file
/// ("ERROR : Port open.", "ERROR : Write to port.", ...): an output file's
/// failure is told in file words instead.
bool IsPortWording(const std::string& text);

/// The file an --out value names: "-" is standard output.
std::string OutputPath(const std::string& out);

/// A stream that could not be written to an output file is a file problem
/// (exit 3), not a printer one; standard output stays a failure (exit 1).
int OutputFileExit(int code, const std::string& out);

/// Drives an engine to its end on the real clock: a SIGINT or SIGTERM
/// cancels it at its next safe point (`acknowledgement` says which), and the
/// text `status()` gives is kept up to date on stderr.
template <class Engine, class StatusText>
void RunWithProgress(Engine& engine, base::Clock& clock, const std::string& acknowledgement,
                     StatusText status) {
    StopScope stop(StopMode::AtSafePoint, acknowledgement);
    ProgressLine line;
    bool cancelled = false;
    base::RunSteps(engine, clock, [&] {
        if (StopRequested() && !cancelled) {
            engine.Cancel();
            cancelled = true;
        }
        line.Show(status());
    });
    line.Finish();
}

}  // namespace korva::cli

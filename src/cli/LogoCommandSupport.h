#pragma once
// Pieces the logo commands of `korva` share: the connection they write to,
// messages on stderr, Ctrl-C as Cancel, progress lines, number options.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/Clock.h"
#include "app/ErrorLog.h"
#include "app/StepEngine.h"
#include "port/ByteStream.h"
#include "port/Connection.h"

namespace korva::cli {

/// What a logo command writes to: the port object for serial, parallel and
/// USB printers, or the TCP link for ETHERNET_II (with the Qt event loop it
/// needs), set up from the parsed connection but not opened. With an
/// `outputFile` the stream writes that file instead (the "FILE" port).
class LogoConnection {
public:
    LogoConnection(const port::ConnectionSettings& settings, const std::string& outputFile,
                   app::CErrorLog& log);
    ~LogoConnection();
    LogoConnection(const LogoConnection&) = delete;
    LogoConnection& operator=(const LogoConnection&) = delete;

    port::ByteStream& Stream() { return *m_Stream; }
    /// Real time; over TCP the waits also run the socket's event loop.
    app::Clock& Clock() { return *m_Clock; }

private:
    struct Parts;
    std::unique_ptr<Parts> m_Parts;
    port::ByteStream* m_Stream = nullptr;
    app::Clock* m_Clock = nullptr;
};

/// While alive, message boxes go to stderr as "korva: <text>"; questions are
/// answered Yes (the command line itself is the user's confirmation).
class StderrMessages {
public:
    StderrMessages();
    ~StderrMessages();
    StderrMessages(const StderrMessages&) = delete;
    StderrMessages& operator=(const StderrMessages&) = delete;
};

/// While alive, the first SIGINT or SIGTERM asks the running engine to cancel
/// (between images, so the printer is left with a complete definition); a
/// second one asks it to stop at once.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;
    bool Requested() const;
    bool RequestedTwice() const;
};

/// Keeps a status text up to date on stderr: rewritten in place on a
/// terminal; into a log or pipe at most one line a second, and the last one.
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

/// Drives an engine to its end on the real clock: Ctrl-C cancels it, a second
/// Ctrl-C abandons an engine that can stop at once, and the text `status()`
/// gives is kept up to date on stderr.
template <class Engine, class StatusText>
void RunWithProgress(Engine& engine, app::Clock& clock, const InterruptWatch& interrupt,
                     StatusText status) {
    ProgressLine line;
    app::RunSteps(engine, clock, [&] {
        if constexpr (requires { engine.Abandon(); }) {
            if (interrupt.RequestedTwice()) engine.Abandon();
        }
        if (interrupt.Requested()) engine.Cancel();
        line.Show(status());
    });
    line.Finish();
}

/// Reads a whole decimal number in lo..hi; false on anything else.
bool ParseNumber(std::string_view text, int lo, int hi, int& value);

/// Takes the value of `--name V` or `--name=V` at args[i]; advances i.
/// Returns false when args[i] is not that option; sets `missing` when the
/// value is absent.
bool TakeValue(const std::vector<std::string>& args, size_t& i, std::string_view name,
               std::string& value, bool& missing);

}  // namespace korva::cli

#pragma once
// Why a `korva` run ended as it did, as one code of base::Reason. It is
// recorded where the cause is known (a refused open, an unreadable file, a
// port that hung up), and read at the end by the JSON report ("reason") and
// by the last line on stderr, whose words are derived from the code alone,
// so every command says one cause the same way.
#include <string>

#include "base/Reason.h"

namespace korva::port {
class ByteStream;
}

namespace korva::cli {

/// What a failure is about: a port and a file fail in different words.
enum class Subject { None, Port, File, Printer };

/// Records why the run fails, with the port or file it concerns. The first
/// cause wins (what follows it is its consequence), except that a specific
/// reason replaces the generic Failed.
void SetReason(base::Reason reason, Subject subject = Subject::None, const std::string& name = {});
/// The recorded reason; None when nothing was recorded.
base::Reason RecordedReason();

/// The reason a run ending with `exitCode` reports: the recorded one, else
/// what the exit code stands for, else the last port failure seen.
base::Reason ReasonOfRun(int exitCode);

/// While alive, the stream's last failure is what a printer failure of the
/// run is put down to when the command recorded no reason of its own.
class StreamWatch {
public:
    StreamWatch(const port::ByteStream& stream, std::string name);
    ~StreamWatch();
    StreamWatch(const StreamWatch&) = delete;
    StreamWatch& operator=(const StreamWatch&) = delete;

private:
    const port::ByteStream& m_Stream;
};

/// The reason a failed stream gives: its errno and detail read together
/// (a stall and a refused connection can share ETIMEDOUT).
base::Reason StreamReason(const port::ByteStream& stream);

/// Records the stream's reason for a port failure (nothing when it has none).
void SetStreamReason(const port::ByteStream& stream, const std::string& name);

/// A hint the reason line adds for a port that is not there: the name of
/// the nearest port that is ("did you mean /dev/ttyUSB0?").
void SetGoneHint(const std::string& hint);

/// The words for a reason ("another program holds the port").
std::string ReasonText(base::Reason reason, Subject subject);

/// The last line a failed run prints: "reason: busy (another program holds
/// port /dev/ttyUSB0)". Empty for a run that ended well or a usage error
/// (which has said what to do already).
std::string ReasonLine(int exitCode);

}  // namespace korva::cli

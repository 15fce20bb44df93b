#include "cli/RunReason.h"

#include <cerrno>
#include <cstring>

#include "cli/ExitCode.h"
#include "cli/Output.h"
#include "port/ByteStream.h"
#include "port/FailureLine.h"
#include "port/PortFailures.h"

namespace korva::cli {

using base::Reason;

namespace {

struct Recorded {
    Reason reason = Reason::None;
    Subject subject = Subject::None;
    std::string name;
};

Recorded Of(Reason reason) {
    Recorded recorded;
    recorded.reason = reason;
    return recorded;
}

Recorded g_Recorded;
/// The last failure of a watched stream, kept after the stream is gone.
Recorded g_StreamFailure;
const port::ByteStream* g_Watched = nullptr;
std::string g_GoneHint;
std::string g_WatchedName;

Recorded WatchedFailure() {
    if (g_Watched == nullptr) return g_StreamFailure;
    const Reason reason = StreamReason(*g_Watched);
    if (reason == Reason::None) return g_StreamFailure;
    return {reason, g_Watched->Kind() == port::PortKind::OutputFile ? Subject::File : Subject::Port,
            g_WatchedName};
}

Recorded RunFailure(int exitCode) {
    if (g_Recorded.reason != Reason::None) return g_Recorded;
    switch (exitCode) {
        case kExitOk: return {};
        case kExitReadUnknowns: return Of(Reason::Unknowns);
        case kExitUsage: return Of(Reason::Usage);
        case kExitBadInput: return Of(Reason::BadInput);
        case kExitInterrupt:
        case kExitTerminate:
        case kExitHangUp: return Of(Reason::Cancelled);
        default: break;
    }
    if (const Recorded stream = WatchedFailure(); stream.reason != Reason::None) return stream;
    return Of(Reason::Failed);
}

}  // namespace

void SetReason(Reason reason, Subject subject, const std::string& name) {
    if (reason == Reason::None) return;
    if (g_Recorded.reason != Reason::None && g_Recorded.reason != Reason::Failed) return;
    if (g_Recorded.reason == Reason::Failed && reason == Reason::Failed) return;
    g_Recorded = {reason, subject, name};
}

Reason RecordedReason() { return g_Recorded.reason; }

void SetGoneHint(const std::string& hint) { g_GoneHint = hint; }

Reason ReasonOfRun(int exitCode) { return RunFailure(exitCode).reason; }

// The port knows why it failed; its typed reason is taken as it is.
Reason StreamReason(const port::ByteStream& stream) { return stream.FailureReason(); }

/// The technical line -v shows for a failed stream: which port, which errno.
static void LogStreamFailure(const port::ByteStream& stream, const std::string& name) {
    const int error = stream.LastError();
    if (error == 0 && stream.FailureDetail().empty()) return;
    std::string line = name + ": errno " + std::to_string(error) + " (" +
                       (error != 0 ? port::ErrorWords(error) : "none") + ")";
    if (!stream.FailureDetail().empty()) line += "; " + stream.FailureDetail();
    Verbose(line);
}

void SetStreamReason(const port::ByteStream& stream, const std::string& name) {
    LogStreamFailure(stream, name);
    const Reason reason = StreamReason(stream);
    const Subject subject = stream.Kind() == port::PortKind::OutputFile ? Subject::File : Subject::Port;
    SetReason(reason, subject, name);
}

StreamWatch::StreamWatch(const port::ByteStream& stream, std::string name) : m_Stream(stream) {
    g_Watched = &stream;
    g_WatchedName = std::move(name);
}

StreamWatch::~StreamWatch() {
    if (g_Watched != &m_Stream) return;
    g_StreamFailure = WatchedFailure();
    if (g_StreamFailure.reason != Reason::None) LogStreamFailure(m_Stream, g_WatchedName);
    g_Watched = nullptr;
}

std::string ReasonText(Reason reason, Subject subject) {
    const bool file = subject == Subject::File;
    switch (reason) {
        case Reason::None: return "done";
        case Reason::NotConfirmed: return "sent, not confirmed: nothing on the line can confirm it";
        case Reason::NoAnswer: return "the printer did not answer";
        case Reason::Permission:
            return file ? "this user may not open the file"
                        : "this user may not open the port (is the user in group dialout or lp?)";
        case Reason::Busy: return "another program holds the port";
        case Reason::Gone: return "the port is not there (unplugged, removed or misspelt?)";
        case Reason::Refused: return "the printer refused the connection";
        case Reason::Unreachable: return "the printer could not be reached";
        case Reason::HangUp: return "the printer hung up the line";
        case Reason::Reset: return "the printer reset the connection; data was lost";
        case Reason::Stalled: return "the printer stopped taking data";
        case Reason::BadInput: return file ? "the file is unusable" : "an input is unusable";
        case Reason::TooLarge: return file ? "the file is too large for its use" : "it does not fit the printer's memory";
        case Reason::ModelMismatch: return "the printer or image is of another model";
        case Reason::Cancelled: return "cancelled by a signal";
        case Reason::FileIo: return "reading or writing a file failed";
        case Reason::Usage: return "the command line is wrong";
        case Reason::NotKept: return "the printer does not hold what was written";
        case Reason::Unknowns: return "some answers were no value the printer takes";
        case Reason::ConfirmRequired:
            return "sent, not confirmed, and --require-confirmed asks for the printer's answer";
        case Reason::Failed: break;
    }
    return file ? "the file could not be used" : "the printer or port failed";
}

std::string ReasonLine(int exitCode) {
    const Recorded failure = RunFailure(exitCode);
    // Exit 4 is a read that ended: its warnings said what is unknown.
    if (failure.reason == Reason::None || failure.reason == Reason::Usage || exitCode == kExitReadUnknowns)
        return {};
    std::string line = "reason: " + std::string(base::ReasonName(failure.reason)) + " (" +
                       ReasonText(failure.reason, failure.subject);
    if (!failure.name.empty())
        line += std::string(failure.subject == Subject::File ? "; file " : failure.subject == Subject::Port ? "; port " : "; ") +
                failure.name;
    if (failure.reason == Reason::Gone && !g_GoneHint.empty()) line += "; " + g_GoneHint;
    return line + ")";
}

}  // namespace korva::cli

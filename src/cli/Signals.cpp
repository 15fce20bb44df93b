#include "cli/Signals.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "cli/ExitCode.h"
#include "cli/Output.h"
#include "cli/TargetLock.h"
#include "port/DeviceIo.h"

namespace korva::cli {

namespace {

// What the handler reads; it may run at any moment, so the texts are fixed
// buffers swapped whole, never strings being reallocated.
constexpr size_t kTextSize = 512;
struct StopState {
    StopMode mode = StopMode::AtOnce;
    char text[kTextSize] = "interrupted";
    char json[kTextSize] = "interrupted";  ///< the text escaped for a JSON string
};
StopState g_States[2];
std::atomic<int> g_Current{0};
struct Note {
    char text[kTextSize] = "";
    char json[kTextSize] = "";
};
Note g_Notes[2];
std::atomic<int> g_CurrentNote{0};
/// The command's own keys (",\"port\":...") for a JSON result written by the handler.
constexpr size_t kKeysSize = 4096;
char g_Keys[2][kKeysSize] = {};
/// "korva setup write: ", the start of every line the handler writes.
char g_Prefix[kTextSize] = "korva: ";
std::atomic<int> g_CurrentKeys{0};
volatile std::sig_atomic_t g_Signal = 0;
volatile std::sig_atomic_t g_Count = 0;
bool g_Json = false;

/// Copies `text` into `out` escaped for a JSON string, cut short to fit.
void CopyJsonText(const std::string& text, char (&out)[kTextSize]) {
    size_t n = 0;
    for (unsigned char c : text) {
        char escaped[8];
        if (c == '"' || c == '\\') std::snprintf(escaped, sizeof escaped, "\\%c", c);
        else if (c < 0x20) std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
        else std::snprintf(escaped, sizeof escaped, "%c", c);
        const size_t len = std::strlen(escaped);
        if (n + len >= kTextSize) break;
        std::memcpy(out + n, escaped, len);
        n += len;
    }
    out[n] = '\0';
}

void CopyText(const std::string& text, char (&out)[kTextSize]) {
    std::strncpy(out, text.c_str(), kTextSize - 1);
    out[kTextSize - 1] = '\0';
}

void WriteText(int fd, const char* text) {
    size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t n = ::write(fd, text, left);
        if (n <= 0) return;
        text += n;
        left -= static_cast<size_t>(n);
    }
}

int ExitCodeOf(int signal) {
    if (signal == SIGTERM) return kExitTerminate;
    if (signal == SIGHUP) return kExitHangUp;
    return kExitInterrupt;
}

/// Ends the program from the handler: only async-signal-safe calls.
[[noreturn]] void EndNow(int signal, const char* why, const char* whyJson) {
    const Note& current = g_Notes[g_CurrentNote.load()];
    const char* note = current.text;
    WriteText(STDERR_FILENO, g_Prefix);
    WriteText(STDERR_FILENO, why);
    if (*note) WriteText(STDERR_FILENO, "; ");
    WriteText(STDERR_FILENO, note);
    WriteText(STDERR_FILENO, "\n");
    WriteText(STDERR_FILENO, g_Prefix);
    WriteText(STDERR_FILENO, "reason: cancelled (cancelled by a signal)\n");
    if (g_Json) {
        WriteText(STDOUT_FILENO, "{\"outcome\":\"cancelled\",\"reason\":\"cancelled\",\"error\":\"");
        WriteText(STDOUT_FILENO, whyJson);
        if (*note) WriteText(STDOUT_FILENO, "; ");
        WriteText(STDOUT_FILENO, current.json);
        WriteText(STDOUT_FILENO, "\"");
        // The command's keys stay, as in every other result of it.
        WriteText(STDOUT_FILENO, g_Keys[g_CurrentKeys.load()]);
        WriteText(STDOUT_FILENO, "}\n");
    }
    RemoveHeldLock();
    ::_exit(ExitCodeOf(signal));
}

extern "C" void OnStopSignal(int signal) {
    g_Count = g_Count + 1;
    if (g_Count > 1) EndNow(signal, "second signal: ended at once", "second signal: ended at once");
    g_Signal = signal;
    const StopState& state = g_States[g_Current.load()];
    if (state.mode == StopMode::AtOnce) EndNow(signal, state.text, state.json);
    // A write the printer has stopped taking would hold the safe point off.
    if (state.mode == StopMode::AtSafePoint) port::StopStalledWaits();
    WriteText(STDERR_FILENO, g_Prefix);
    WriteText(STDERR_FILENO, state.text);
    WriteText(STDERR_FILENO, " (a second Ctrl-C, SIGTERM or SIGHUP ends korva at once)\n");
}

void Publish(StopMode mode, const std::string& text) {
    const int next = 1 - g_Current.load();
    g_States[next].mode = mode;
    CopyText(text, g_States[next].text);
    CopyJsonText(text, g_States[next].json);
    g_Current.store(next);
}

}  // namespace

void InstallSignalHandlers() {
    g_Json = Mode().json;
    CopyText(Mode().command.empty() ? "korva: " : "korva " + Mode().command + ": ", g_Prefix);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // A write to the printer under way goes on; the command looks at the
    // request at its next safe point.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A dropped terminal or ssh session: the same safe stop as SIGTERM.
    sigaction(SIGHUP, &action, nullptr);
}

StopScope::StopScope(StopMode mode, const std::string& acknowledgement)
    : m_OldMode(g_States[g_Current.load()].mode), m_OldText(g_States[g_Current.load()].text) {
    Publish(mode, acknowledgement);
}

StopScope::~StopScope() { Publish(m_OldMode, m_OldText); }

void StopScope::Change(StopMode mode, const std::string& acknowledgement) {
    Publish(mode, acknowledgement);
}

void SetStopNote(const std::string& note) {
    // The handler reads the other buffer meanwhile; the switch is one store.
    const int next = 1 - g_CurrentNote.load();
    CopyText(note, g_Notes[next].text);
    CopyJsonText(note, g_Notes[next].json);
    g_CurrentNote.store(next);
}

void SetStopKeys(const std::string& members) {
    const int next = 1 - g_CurrentKeys.load();
    if (members.size() + 2 >= kKeysSize) return;  // too long to keep whole: none rather than broken JSON
    const std::string keys = members.empty() ? "" : "," + members;
    std::memcpy(g_Keys[next], keys.c_str(), keys.size() + 1);
    g_CurrentKeys.store(next);
}

bool StopRequested() { return g_Signal != 0; }

int StopExitCode() { return ExitCodeOf(g_Signal == 0 ? SIGINT : g_Signal); }

}  // namespace korva::cli

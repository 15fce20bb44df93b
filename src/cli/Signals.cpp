#include "cli/Signals.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

#include "cli/ExitCode.h"
#include "cli/Output.h"
#include "port/DeviceIo.h"

namespace korva::cli {

namespace {

// What the handler reads; it may run at any moment, so the texts are fixed
// buffers swapped whole, never strings being reallocated.
constexpr size_t kTextSize = 512;
struct StopState {
    StopMode mode = StopMode::AtOnce;
    char text[kTextSize] = "interrupted";
};
StopState g_States[2];
std::atomic<int> g_Current{0};
char g_Notes[2][kTextSize] = {};
std::atomic<int> g_CurrentNote{0};
volatile std::sig_atomic_t g_Signal = 0;
volatile std::sig_atomic_t g_Count = 0;
bool g_Json = false;

void WriteText(int fd, const char* text) {
    size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t n = ::write(fd, text, left);
        if (n <= 0) return;
        text += n;
        left -= static_cast<size_t>(n);
    }
}

/// Ends the program from the handler: only async-signal-safe calls.
[[noreturn]] void EndNow(int signal, const char* why) {
    const char* note = g_Notes[g_CurrentNote.load()];
    WriteText(STDERR_FILENO, "korva: ");
    WriteText(STDERR_FILENO, why);
    if (*note) WriteText(STDERR_FILENO, "; ");
    WriteText(STDERR_FILENO, note);
    WriteText(STDERR_FILENO, "\n");
    if (g_Json) {
        WriteText(STDOUT_FILENO, "{\"outcome\":\"cancelled\",\"error\":\"");
        WriteText(STDOUT_FILENO, why);  // fixed texts without quotes or backslashes
        if (*note) WriteText(STDOUT_FILENO, "; ");
        WriteText(STDOUT_FILENO, note);
        WriteText(STDOUT_FILENO, "\"}\n");
    }
    ::_exit(signal == SIGTERM ? kExitTerminate : kExitInterrupt);
}

extern "C" void OnStopSignal(int signal) {
    g_Count = g_Count + 1;
    if (g_Count > 1) EndNow(signal, "second signal: ended at once");
    g_Signal = signal;
    const StopState& state = g_States[g_Current.load()];
    if (state.mode == StopMode::AtOnce) EndNow(signal, state.text);
    // A write the printer has stopped taking would hold the safe point off.
    if (state.mode == StopMode::AtSafePoint) port::StopStalledWaits();
    WriteText(STDERR_FILENO, "korva: ");
    WriteText(STDERR_FILENO, state.text);
    WriteText(STDERR_FILENO, " (a second Ctrl-C or SIGTERM ends korva at once)\n");
}

void Publish(StopMode mode, const std::string& text) {
    const int next = 1 - g_Current.load();
    g_States[next].mode = mode;
    std::strncpy(g_States[next].text, text.c_str(), kTextSize - 1);
    g_States[next].text[kTextSize - 1] = '\0';
    g_Current.store(next);
}

}  // namespace

void InstallSignalHandlers() {
    g_Json = Mode().json;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // A write to the printer under way goes on; the command looks at the
    // request at its next safe point.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
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
    std::strncpy(g_Notes[next], note.c_str(), kTextSize - 1);
    g_Notes[next][kTextSize - 1] = '\0';
    g_CurrentNote.store(next);
}

bool StopRequested() { return g_Signal != 0; }

int StopExitCode() { return g_Signal == SIGTERM ? kExitTerminate : kExitInterrupt; }

}  // namespace korva::cli

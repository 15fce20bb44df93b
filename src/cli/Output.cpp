#include "cli/Output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace korva::cli {

namespace {
OutputMode g_Mode;
std::string g_LastError;

void Say(const std::string& text) {
    const std::string prefix = g_Mode.command.empty() ? "korva" : "korva " + g_Mode.command;
    std::fprintf(stderr, "%s: %s\n", prefix.c_str(), text.c_str());
}
}  // namespace

void SetOutputMode(OutputMode mode) { g_Mode = std::move(mode); }
const OutputMode& Mode() { return g_Mode; }

void Note(const std::string& text) {
    if (!g_Mode.quiet) Say(text);
}

void Error(const std::string& text) {
    g_LastError = text;
    Say(text);
}

const std::string& LastError() { return g_LastError; }

void Verbose(const std::string& text) {
    if (!g_Mode.verbose) return;
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    std::fprintf(stderr, "korva: log: %s\n", line.c_str());
}

bool ProgressShown() { return !g_Mode.quiet; }

bool ProgressInPlace() {
    if (g_Mode.quiet || !isatty(STDERR_FILENO)) return false;
    // Without TERM nothing says the terminal understands escape codes.
    const char* term = std::getenv("TERM");
    return term != nullptr && *term != '\0' && std::strcmp(term, "dumb") != 0;
}

bool CloseStdout(std::string& why) {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    int error = errno;
    const bool clean = !std::ferror(stdout);
    errno = 0;
    const bool closed = std::fclose(stdout) == 0;
    if (error == 0) error = errno;
    if (flushed && clean && closed) return true;
    why = std::string("cannot write standard output: ") +
          (error != 0 ? std::strerror(error) : "write error");
    return false;
}

}  // namespace korva::cli

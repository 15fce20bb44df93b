#include "cli/TargetLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/Clock.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/NumberText.h"
#include "cli/Output.h"
#include "cli/RunReason.h"
#include "cli/Signals.h"

namespace korva::cli {

namespace {

constexpr int kRetryMs = 100;
int g_LockFd = -1;

/// /run/lock where the system keeps one (shared by every user), else /tmp.
std::string LockPath(const port::ConnectionSettings& settings) {
    const std::string name = "korva-" + settings.ipAddress + "-" + std::to_string(settings.tcpPort) + ".lock";
    const char* dir = ::access("/run/lock", W_OK) == 0 ? "/run/lock" : "/tmp";
    return std::string(dir) + "/" + name;
}

/// The lock file this run holds ("" none): a fixed buffer, as a signal
/// handler reads it.
char g_HeldPath[512];

/// Whether `fd` is still the file at `path` (not removed by the run before).
bool SameFile(int fd, const std::string& path) {
    struct stat held {}, named {};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

}  // namespace

void RemoveHeldLock() {
    // Still held here: a run waiting on this file finds it gone once it gets
    // the lock, and opens the path again (SameFile).
    if (g_HeldPath[0] != '\0') ::unlink(g_HeldPath);
}

OptionSpec WaitLockOption() {
    return {"wait-lock", 0, "SECONDS",
            "Ethernet printers: wait up to SECONDS for another korva\n"
            "run on the same printer to end (default: refuse at once)"};
}

int LockTarget(const port::ConnectionSettings& settings, const ParsedOptions& options) {
    if (ClassifyConnectionPort(settings).kind != port::PortKind::Ethernet) {
        // A local port is held by its open already: there is nothing to wait for here.
        if (options.Has("wait-lock"))
            return UsageError("--wait-lock is for Ethernet printers; a local port is refused at "
                              "once while another program holds it");
        return -1;
    }
    int waitSeconds = 0;
    if (options.Has("wait-lock") && !ParseNumber(options.Get("wait-lock"), 0, 86400, waitSeconds))
        return UsageError("--wait-lock takes seconds, 0..86400");
    const std::string path = LockPath(settings);
    const std::string target = settings.ipAddress + ":" + std::to_string(settings.tcpPort);
    // Any user may take the lock: the file is opened read-only, never followed through a link.
    const auto openLock = [&path] {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) ::fchmod(fd, 0666);
        return fd;
    };
    int fd = openLock();
    if (fd < 0) {
        // Without a lock file the runs cannot be kept apart; say so and go on.
        Note("cannot take the lock " + path + ": " + std::strerror(errno));
        return -1;
    }
    // Nothing was sent yet: a signal while waiting ends korva at once.
    StopScope stop(StopMode::AtOnce, "interrupted while waiting for " + target + "; nothing was sent");
    base::Clock& clock = base::DefaultClock();
    const int64_t deadline = clock.NowMs() + int64_t{waitSeconds} * 1000;
    bool told = false;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (SameFile(fd, path)) break;
            // The run before removed the file as it ended: lock the one at the path now.
            ::close(fd);
            if ((fd = openLock()) < 0) {
                Note("cannot take the lock " + path + ": " + std::strerror(errno));
                return -1;
            }
            continue;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            Note("cannot take the lock " + path + ": " + std::strerror(errno));
            ::close(fd);
            return -1;
        }
        if (clock.NowMs() >= deadline) {
            ::close(fd);
            SetReason(base::Reason::Busy, Subject::Port, target);
            Error("another korva run is using the printer at " + target +
                  (waitSeconds > 0 ? "; waited " + std::to_string(waitSeconds) + " s"
                                   : " (--wait-lock SECONDS waits for it)"));
            return kExitPrinter;
        }
        if (!told) Note("waiting for another korva run on " + target + " to end");
        told = true;
        clock.SleepMs(kRetryMs);
    }
    // Held until the run is over (ReleaseTargetLock, else the program's end).
    g_LockFd = fd;
    if (path.size() < sizeof g_HeldPath) {
        std::memcpy(g_HeldPath, path.c_str(), path.size() + 1);
        std::atexit(RemoveHeldLock);
    }
    return -1;
}

void ReleaseTargetLock() {
    if (g_LockFd < 0) return;
    // Removed while still held, as at the program's end; then let go.
    RemoveHeldLock();
    g_HeldPath[0] = '\0';
    ::close(g_LockFd);
    g_LockFd = -1;
}

}  // namespace korva::cli

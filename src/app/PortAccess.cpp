#include "app/PortAccess.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "port/Connection.h"
#include "port/PortFailures.h"
#include "port/PortPath.h"

namespace korva::app {

std::string PortAccessProblem(std::string_view portName, bool parallel) {
    const std::string path = port::DevicePathFor(port::NormalizePortName(portName));
    int error = 0;
    // Non-blocking: a port is never waited for here, and no line is set up.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
    } else {
        // The tools lock the port while they use it; another program's lock means busy.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) error = errno == EWOULDBLOCK ? EBUSY : 0;
        ::close(fd);
    }
    const base::Reason reason = port::OpenFailureReason(error);
    if (reason != base::Reason::Permission && reason != base::Reason::Busy) return {};
    return "'" + std::string(portName) + "' cannot be opened: " + port::OpenFailureDetail(error, parallel);
}

}  // namespace korva::app

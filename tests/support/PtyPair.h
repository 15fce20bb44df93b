#pragma once
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace korva::test {

/// A pseudo-terminal pair standing in for a serial line: the code under test
/// opens `SlavePath()` like any tty, the test plays the printer on the master.
class PtyPair {
public:
    PtyPair() {
        m_Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_Master < 0 || ::grantpt(m_Master) != 0 || ::unlockpt(m_Master) != 0) return;
        char name[128] = {};
        if (::ptsname_r(m_Master, name, sizeof name) == 0) m_SlavePath = name;
        ::fcntl(m_Master, F_SETFL, ::fcntl(m_Master, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair() {
        if (m_Master >= 0) ::close(m_Master);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return m_Master >= 0 && !m_SlavePath.empty(); }
    int Master() const { return m_Master; }
    const std::string& SlavePath() const { return m_SlavePath; }

    /// Writes bytes as the printer would send them.
    bool Send(const std::vector<uint8_t>& bytes) const {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_Master, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return false;
            } else {
                pollfd p{m_Master, POLLOUT, 0};
                ::poll(&p, 1, 100);
            }
        }
        return true;
    }

    /// Hangs up the line as a pulled cable would: the master end closes.
    void HangUp() {
        if (m_Master >= 0) ::close(m_Master);
        m_Master = -1;
    }

    /// Collects what the port wrote until `count` bytes arrived or `timeoutMs` passed.
    std::vector<uint8_t> Receive(size_t count, int timeoutMs) const {
        std::vector<uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        uint8_t buffer[4096];
        while (out.size() < count && std::chrono::steady_clock::now() < end) {
            pollfd p{m_Master, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            const ssize_t n = ::read(m_Master, buffer, sizeof buffer);
            if (n > 0) out.insert(out.end(), buffer, buffer + n);
        }
        return out;
    }

private:
    int m_Master = -1;
    std::string m_SlavePath;
};

}  // namespace korva::test

#include "app/SessionBus.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>

#include "support/TestDir.h"

namespace {

/// Sets or removes an environment variable for one test, and puts it back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : m_Name(name) {
        if (const char* old = std::getenv(name)) m_Old = old;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_Old) ::setenv(m_Name, m_Old->c_str(), 1);
        else ::unsetenv(m_Name);
    }

private:
    const char* m_Name;
    std::optional<std::string> m_Old;
};

/// A listening unix socket at `path`, as a session bus has.
int ListenAt(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 1) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

// Without an address libdbus would start a bus of its own that outlives the
// program: the user's bus is used where there is one, else none.
TEST(SessionBus, TheUsersBusOrNoneNeverOneOfItsOwn) {
    korva::test::TestDir dir;
    const std::string withBus = (dir / "run").string(), withoutBus = (dir / "empty").string();
    std::filesystem::create_directories(withBus);
    std::filesystem::create_directories(withoutBus);
    std::ofstream(withoutBus + "/bus") << "a file, not a socket";
    const int bus = ListenAt(withBus + "/bus");
    ASSERT_GE(bus, 0);
    struct Row {
        const char* what;
        std::optional<std::string> address, runtimeDir;
        std::string expected;
    } rows[] = {
        {"an address already set", "unix:path=/run/user/1000/bus", withoutBus, "unix:path=/run/user/1000/bus"},
        {"the user's bus", std::nullopt, withBus, "unix:path=" + withBus + "/bus"},
        {"an empty address, the user's bus", "", withBus, "unix:path=" + withBus + "/bus"},
        {"no socket there", std::nullopt, withoutBus, korva::app::kNoSessionBus},
        {"no runtime folder", std::nullopt, std::nullopt, korva::app::kNoSessionBus},
    };
    for (const Row& row : rows) {
        ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", row.address);
        ScopedEnv runtime("XDG_RUNTIME_DIR", row.runtimeDir);
        korva::app::UseExistingSessionBus();
        const char* now = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        ASSERT_NE(now, nullptr) << row.what;
        EXPECT_EQ(std::string(now), row.expected) << row.what;
    }
    ::close(bus);
    EXPECT_FALSE(std::filesystem::exists("/nonexistent")) << "the no-bus address must lead nowhere";
}

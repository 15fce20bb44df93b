#include "netcfg/LateAnswers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace korva::netcfg {
namespace {

int64_t WallMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

std::string LateAnswerFiles::PathFor(const MacAddress& mac) const {
    char name[32];
    std::snprintf(name, sizeof name, "late-answers-%02X%02X%02X%02X%02X%02X", mac[0], mac[1],
                  mac[2], mac[3], mac[4], mac[5]);
    return m_Folder + "/" + name;
}

int LateAnswerFiles::RemainingMs(const MacAddress& mac) {
    const int fd = ::open(PathFor(mac).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return 0;
    char text[32] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0) return 0;
    char* end = nullptr;
    const long long until = std::strtoll(text, &end, 10);
    if (end == text) return 0;
    // Bounded, so a clock set back or a damaged file costs at most the usual wait.
    const int64_t left = static_cast<int64_t>(until) - WallMs();
    return static_cast<int>(std::clamp<int64_t>(left, 0, kLateAnswerMs));
}

void LateAnswerFiles::Expect(const MacAddress& mac, int ms) {
    ::mkdir(m_Folder.c_str(), 0700);
    const std::string path = PathFor(mac);
    const std::string temporary = path + ".part";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return;
    const std::string text = std::to_string(WallMs() + ms) + "\n";
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) ::unlink(temporary.c_str());
}

void LateAnswerFiles::Answered(const MacAddress& mac) { ::unlink(PathFor(mac).c_str()); }

}  // namespace korva::netcfg

#include "port/PpdevCalls.h"

#include <cerrno>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace korva::port {

namespace {

class SystemCalls final : public PpdevCalls {
public:
    int Claim(int fd) override { return Result(::ioctl(fd, PPCLAIM)); }
    int Negotiate(int fd, int mode) override { return Result(::ioctl(fd, PPNEGOT, &mode)); }
    int Release(int fd) override { return Result(::ioctl(fd, PPRELEASE)); }
    ssize_t Read(int fd, uint8_t* buffer, size_t length) override {
        return ::read(fd, buffer, length);
    }
    ssize_t Write(int fd, const uint8_t* data, size_t length) override {
        return ::write(fd, data, length);
    }

private:
    static int Result(int rc) { return rc == 0 ? 0 : errno; }
};

}  // namespace

PpdevCalls& SystemPpdevCalls() {
    static SystemCalls calls;
    return calls;
}

}  // namespace korva::port

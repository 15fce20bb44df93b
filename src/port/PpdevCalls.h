#pragma once
#include <linux/parport.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace korva::port {

/// What the parallel port control asks of a ppdev node, apart, so that tests
/// can stand in for one (and record what was asked of it) on a machine that
/// has none. The ioctls return 0 or the errno of the failure.
class PpdevCalls {
public:
    virtual ~PpdevCalls() = default;
    /// PPCLAIM: takes the port for this descriptor; fails on anything not ppdev.
    virtual int Claim(int fd) = 0;
    /// PPNEGOT: IEEE 1284 compatibility mode to write, nibble mode to read.
    virtual int Negotiate(int fd, int mode) = 0;
    /// PPRELEASE: gives the port back.
    virtual int Release(int fd) = 0;
    /// read()/write() on the non-blocking node: -1 with errno EAGAIN while
    /// the printer has nothing to send or takes nothing.
    virtual ssize_t Read(int fd, uint8_t* buffer, size_t length) = 0;
    virtual ssize_t Write(int fd, const uint8_t* data, size_t length) = 0;
};

/// The calls on the real device.
PpdevCalls& SystemPpdevCalls();

}  // namespace korva::port

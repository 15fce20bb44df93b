#include "port/SerialLine.h"

#include <cerrno>

namespace korva::port {

speed_t BaudConstant(int rate) {
    switch (rate) {
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
    }
}

namespace {

tcflag_t CharacterSize(int dataBits) {
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

}  // namespace

int BuildTermios(const termios& driver, const ConnectionSettings& line, termios& out) {
    const speed_t speed = BaudConstant(line.baudRate);
    if (speed == B0 || line.dataBits < 5 || line.dataBits > 8) return EINVAL;
    if (line.parity < kParityNone || line.parity > kParityEven) return EINVAL;
    if (line.stopBits < kStopBits1 || line.stopBits > kStopBits2) return EINVAL;
    if (!CheckStopBitsForDataBits(line.dataBits, line.stopBits).empty()) return EINVAL;

    out = driver;
    // Raw bytes: no line editing, echo, signals, CR/LF translation or stripping.
    // IXON/IXOFF/IXANY are flow control and follow the choice below.
    out.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | INPCK);
    out.c_oflag &= ~OPOST;
    out.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    out.c_cflag |= CLOCAL | CREAD;
    // Reads return at once with what is there; waiting is done with poll().
    out.c_cc[VMIN] = 0;
    out.c_cc[VTIME] = 0;

    cfsetispeed(&out, speed);
    cfsetospeed(&out, speed);

    out.c_cflag = (out.c_cflag & ~CSIZE) | CharacterSize(line.dataBits);
    out.c_cflag &= ~(PARENB | PARODD);
    if (line.parity == kParityOdd) out.c_cflag |= PARENB | PARODD;
    if (line.parity == kParityEven) out.c_cflag |= PARENB;
    // With 5-bit characters the UART sends one and a half stop bits for CSTOPB.
    if (line.stopBits == kStopBits1) {
        out.c_cflag &= ~CSTOPB;
    } else {
        out.c_cflag |= CSTOPB;
    }

    switch (line.flowControl) {
    case kFlowHardware:
        out.c_cflag |= CRTSCTS;
        out.c_iflag &= ~IXON;
        break;
    case kFlowNone:
        // A fresh Linux tty has IXON on: kept, it would swallow reply bytes
        // 0x11/0x13 and let them stall our output. No flow control means none.
        out.c_cflag &= ~CRTSCTS;
        out.c_iflag &= ~(IXON | IXOFF | IXANY);
        break;
    case kFlowSoftware:
        break;
    default:
        return EINVAL;
    }
    return 0;
}

}  // namespace korva::port

#include "port/SerialLine.h"

#include <gtest/gtest.h>

using namespace korva::port;

namespace {
ConnectionSettings Line(int baud, int data, int parity, int stop, int flow) {
    ConnectionSettings s;
    s.baudRate = baud;
    s.dataBits = data;
    s.parity = parity;
    s.stopBits = stop;
    s.flowControl = flow;
    return s;
}
termios DriverWith(tcflag_t iflag, tcflag_t cflag) {
    termios t{};
    t.c_iflag = iflag | ICRNL;
    t.c_oflag = OPOST | ONLCR;
    t.c_lflag = ICANON | ECHO | ISIG;
    t.c_cflag = cflag | CS8;
    return t;
}
}  // namespace

TEST(SerialLine, DataBitsParityAndStopBitsMapToTheLine) {
    termios out{};
    ASSERT_EQ(BuildTermios(DriverWith(0, 0), Line(9600, 7, kParityEven, kStopBits2, kFlowNone), out), 0);
    EXPECT_EQ(out.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_EQ(out.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB));
    EXPECT_TRUE(out.c_cflag & CSTOPB);
    EXPECT_EQ(cfgetospeed(&out), static_cast<speed_t>(B9600));
    EXPECT_EQ(cfgetispeed(&out), static_cast<speed_t>(B9600));

    ASSERT_EQ(BuildTermios(DriverWith(0, PARENB | CSTOPB), Line(57600, 6, kParityOdd, kStopBits1, kFlowNone), out), 0);
    EXPECT_EQ(out.c_cflag & CSIZE, static_cast<tcflag_t>(CS6));
    EXPECT_EQ(out.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB | PARODD));
    EXPECT_FALSE(out.c_cflag & CSTOPB);

    ASSERT_EQ(BuildTermios(DriverWith(0, PARENB), Line(19200, 5, kParityNone, kStopBits1_5, kFlowNone), out), 0);
    EXPECT_EQ(out.c_cflag & CSIZE, static_cast<tcflag_t>(CS5));
    EXPECT_FALSE(out.c_cflag & PARENB);
    EXPECT_TRUE(out.c_cflag & CSTOPB);  // 1.5 stop bits on a 5-bit line
}

TEST(SerialLine, RawBytesNoTranslation) {
    termios out{};
    ASSERT_EQ(BuildTermios(DriverWith(0, 0), Line(115200, 8, kParityNone, kStopBits1, kFlowNone), out), 0);
    EXPECT_FALSE(out.c_iflag & ICRNL);
    EXPECT_FALSE(out.c_oflag & OPOST);
    EXPECT_FALSE(out.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_TRUE(out.c_cflag & CREAD);
    EXPECT_TRUE(out.c_cflag & CLOCAL);
}

TEST(SerialLine, FlowControlChoices) {
    termios out{};
    const termios withXon = DriverWith(IXON | IXOFF, 0);
    ASSERT_EQ(BuildTermios(withXon, Line(9600, 8, 0, 0, kFlowHardware), out), 0);
    EXPECT_TRUE(out.c_cflag & CRTSCTS);
    EXPECT_FALSE(out.c_iflag & IXON);  // XON/XOFF output off
    EXPECT_TRUE(out.c_iflag & IXOFF);  // input as the driver had it

    ASSERT_EQ(BuildTermios(DriverWith(IXON | IXOFF, CRTSCTS), Line(9600, 8, 0, 0, kFlowNone), out), 0);
    EXPECT_FALSE(out.c_cflag & CRTSCTS);
    EXPECT_FALSE(out.c_iflag & (IXON | IXOFF));

    // Software: every flow field stays as the driver reported it.
    for (const termios& driver : {DriverWith(IXON | IXOFF, 0), DriverWith(0, CRTSCTS)}) {
        ASSERT_EQ(BuildTermios(driver, Line(9600, 8, 0, 0, kFlowSoftware), out), 0);
        EXPECT_EQ(out.c_cflag & CRTSCTS, driver.c_cflag & CRTSCTS);
        EXPECT_EQ(out.c_iflag & (IXON | IXOFF), driver.c_iflag & (IXON | IXOFF));
    }
}

TEST(SerialLine, RefusesWhatTheLineCannotDo) {
    termios out{};
    const termios driver = DriverWith(0, 0);
    EXPECT_EQ(BuildTermios(driver, Line(12345, 8, 0, 0, kFlowNone), out), EINVAL);
    EXPECT_EQ(BuildTermios(driver, Line(9600, 8, 0, kStopBits1_5, kFlowNone), out), EINVAL);
    EXPECT_EQ(BuildTermios(driver, Line(9600, 5, 0, kStopBits2, kFlowNone), out), EINVAL);
    EXPECT_EQ(BuildTermios(driver, Line(9600, 8, 0, 0, kUnset), out), EINVAL);
    EXPECT_EQ(BuildTermios(driver, Line(9600, 4, 0, 0, kFlowNone), out), EINVAL);
}

#include "profile/ConnectionLabel.h"

#include <gtest/gtest.h>

using korva::profile::ComposeConnectionLabel;
using korva::port::ConnectionSettings;
using korva::port::PortKind;

namespace {
ConnectionSettings Serial(std::string port, int deviceType) {
    ConnectionSettings s;
    s.portName = std::move(port);
    s.deviceType = deviceType;
    s.baudRate = 115200;
    s.dataBits = 8;
    s.parity = 0;
    s.flowControl = 1;
    s.stopBits = 0;
    return s;
}
}  // namespace

TEST(ConnectionLabel, SerialPortOnSixLines) {
    EXPECT_EQ(ComposeConnectionLabel(Serial("COM1", 1), PortKind::Serial),
              "KORVA20 - COM1\r\nBaud : 115200\r\nData : 8 bit\r\nNone Parity\r\n"
              "H/W Flow control\r\nOne Stop Bit");
    ConnectionSettings s = Serial("/dev/ttyUSB0", 2);
    s.baudRate = 9600;
    s.dataBits = 7;
    s.parity = 2;
    s.flowControl = 3;
    s.stopBits = 2;
    EXPECT_EQ(ComposeConnectionLabel(s, PortKind::Serial),
              "KORVA10 - /dev/ttyUSB0\r\nBaud : 9600\r\nData : 7 bit\r\nEven Parity\r\n"
              "None Flow control\r\nTwo Stop Bits");
    s.parity = 1;
    s.flowControl = 2;
    s.stopBits = 1;
    EXPECT_EQ(ComposeConnectionLabel(s, PortKind::Serial),
              "KORVA10 - /dev/ttyUSB0\r\nBaud : 9600\r\nData : 7 bit\r\nOdd Parity\r\n"
              "S/W Flow control\r\n1.5 Stop Bits");
}

TEST(ConnectionLabel, OtherPortsOnOneLineAndUsbWithItsTitle) {
    EXPECT_EQ(ComposeConnectionLabel(Serial("LPT1", 1), PortKind::Parallel), "KORVA20 - LPT1");
    EXPECT_EQ(ComposeConnectionLabel(Serial("/dev/parport0", 2), PortKind::Parallel), "KORVA10 - /dev/parport0");
    EXPECT_EQ(ComposeConnectionLabel(Serial("ETHERNET_II", 3), PortKind::Ethernet), "KORVA20 - ETHERNET_II");
    // USB shows its two-line title whatever the series.
    EXPECT_EQ(ComposeConnectionLabel(Serial("USB", 2), PortKind::Usb), "KORVA20\r\nUSB-II Interface");
    EXPECT_EQ(ComposeConnectionLabel(Serial("USB", 3), PortKind::Usb), "KORVA20\r\nUSB-II Interface");
}

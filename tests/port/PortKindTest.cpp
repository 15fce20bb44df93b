#include "port/PortKind.h"

#include <gtest/gtest.h>

using korva::port::ClassifyPort;
using korva::port::PortKind;

TEST(PortKind, PseudoNamesIgnoreCase) {
    EXPECT_EQ(ClassifyPort("com1"), PortKind::Serial);
    EXPECT_EQ(ClassifyPort("LPT2"), PortKind::Parallel);
    EXPECT_EQ(ClassifyPort("usb"), PortKind::Usb);
    EXPECT_EQ(ClassifyPort("Ethernet_II"), PortKind::Ethernet);
    EXPECT_EQ(ClassifyPort("file"), PortKind::File);
}

TEST(PortKind, DevicePathsAndOutputFiles) {
    EXPECT_EQ(ClassifyPort("/dev/ttyUSB0"), PortKind::Serial);
    EXPECT_EQ(ClassifyPort("/dev/pts/7"), PortKind::Serial);
    EXPECT_EQ(ClassifyPort("/dev/parport0"), PortKind::Parallel);
    EXPECT_EQ(ClassifyPort("/dev/usb/lp0"), PortKind::Parallel);
    EXPECT_EQ(ClassifyPort("temp.prn"), PortKind::OutputFile);
    EXPECT_EQ(ClassifyPort("USBX"), PortKind::OutputFile);
    EXPECT_EQ(ClassifyPort("/tmp/out.prn"), PortKind::OutputFile);
}

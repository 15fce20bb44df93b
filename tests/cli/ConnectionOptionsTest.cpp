#include "cli/ConnectionOptions.h"

#include <gtest/gtest.h>

using korva::cli::ParseConnectionOptions;
using Args = std::vector<std::string>;

TEST(ConnectionOptions, TakesItsOptionsAndKeepsTheRestInOrder) {
    const auto got = ParseConnectionOptions({"--gray", "--port", "/dev/pts/3", "a.bmp",
                                             "--baud=9600", "--parity", "even", "--data-bits",
                                             "7", "--stop-bits", "2", "--flow", "none",
                                             "--model", "KORVA10S", "b.bmp"});
    ASSERT_EQ(got.error, "");
    EXPECT_EQ(got.rest, (Args{"--gray", "a.bmp", "b.bmp"}));
    EXPECT_EQ(got.settings.portName, "/dev/pts/3");
    EXPECT_EQ(got.settings.baudRate, 9600);
    EXPECT_EQ(got.settings.parity, 2);
    EXPECT_EQ(got.settings.dataBits, 7);
    EXPECT_EQ(got.settings.stopBits, 2);
    EXPECT_EQ(got.settings.flowControl, 3);
    EXPECT_EQ(got.settings.deviceType, 2);
}

TEST(ConnectionOptions, ModelNamesGiveTheDeviceType) {
    EXPECT_EQ(ParseConnectionOptions({"--port", "USB", "--model", "KORVA20IIU-II"}).settings.deviceType, 3);
    EXPECT_EQ(ParseConnectionOptions({"--port", "USB", "--model", "VQM-5146"}).settings.deviceType, 3);
    EXPECT_EQ(ParseConnectionOptions({"--port", "USB", "--model", "KORVA20U-II"}).settings.deviceType, 1);
    EXPECT_EQ(ParseConnectionOptions({"--port", "USB", "--device-type", "3"}).settings.deviceType, 3);
}

TEST(ConnectionOptions, EthernetAddressAndPseudoNames) {
    const auto got = ParseConnectionOptions({"--port", "ethernet_ii", "--ip", "127.0.0.1",
                                             "--tcp-port", "9100"});
    ASSERT_EQ(got.error, "");
    EXPECT_EQ(got.settings.portName, "ETHERNET_II");
    EXPECT_EQ(got.settings.ipAddress, "127.0.0.1");
    EXPECT_EQ(got.settings.tcpPort, 9100);
    const auto plain = ParseConnectionOptions({"--port", "ETHERNET_II"});
    EXPECT_EQ(plain.settings.ipAddress, "192.168.0.254");
    EXPECT_EQ(plain.settings.tcpPort, 6001);
}

TEST(ConnectionOptions, UsageErrorsAreNamed) {
    EXPECT_NE(ParseConnectionOptions({"x.bin"}).error.find("--port"), std::string::npos);
    EXPECT_EQ(ParseConnectionOptions({"x.bin"}, false).error, "");
    EXPECT_NE(ParseConnectionOptions({"--port"}).error.find("needs a value"), std::string::npos);
    EXPECT_NE(ParseConnectionOptions({"--port", "COM1", "--port", "COM2"}).error.find("twice"),
              std::string::npos);
    EXPECT_NE(ParseConnectionOptions({"--port", "COM1", "--baud", "fast"}).error.find("\"fast\""),
              std::string::npos);
    EXPECT_NE(ParseConnectionOptions({"--port", "COM1", "--flow", "rts"}).error.find("hw, sw or none"),
              std::string::npos);
    EXPECT_NE(ParseConnectionOptions({"--port", "COM1", "--model", "KORVA10S", "--device-type", "2"})
                  .error,
              "");
    EXPECT_NE(ParseConnectionOptions({"--port", "COM1", "--baud="}).error, "");
}

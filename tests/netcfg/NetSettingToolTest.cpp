#include "netcfg/ui/NetSettingTool.h"

#include <gtest/gtest.h>

using korva::netcfg::NetEndpoints;
using korva::netcfg::ui::DialogEndpoints;
using korva::netcfg::ui::ParseDestination;

TEST(NetSettingDestination, ShippedDefaultIsTheLimitedBroadcast) {
    for (const char* value : {static_cast<const char*>(nullptr), "", "printer:2918",
                              "127.0.0.1", "127.0.0.1:0", "127.0.0.1:70000", "127.0.0.1:29x",
                              "300.0.0.1:2918"}) {
        const NetEndpoints endpoints = DialogEndpoints(value);
        EXPECT_EQ(endpoints.broadcastAddress, "255.255.255.255") << (value ? value : "null");
        EXPECT_EQ(endpoints.port, 2918);
    }
}

TEST(NetSettingDestination, DemoOverrideNamesAddressAndPort) {
    const auto parsed = ParseDestination("127.0.0.1:2919");
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->broadcastAddress, "127.0.0.1");
    EXPECT_EQ(parsed->port, 2919);
    EXPECT_EQ(parsed->listenPort, 2918);  // replies still arrive on the usual port
}

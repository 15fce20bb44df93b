// An address as typed is one printer however it is spelt: decimal numbers
// (leading zeros too, never octal or hex) or a host name, resolved once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "netcfg/HostAddress.h"

namespace korva::netcfg {
namespace {

struct Case {
    const char* typed;
    const char* address;  ///< nullptr: refused with a reason
};

TEST(HostAddress, SpellingsOfOneAddressAreOne) {
    const std::vector<Case> cases = {
        {"127.0.0.1", "127.0.0.1"},
        {"127.0.0.01", "127.0.0.1"},
        {"127.0.1.010", "127.0.1.10"},   // the C library would read 010 as octal 8
        {"127.000.000.001", "127.0.0.1"},
        {"localhost", "127.0.0.1"},      // /etc/hosts, no network asked
        {"1.2", nullptr},                // inet_aton's short forms are not taken
        {"127.0.0.256", nullptr},
        {"127.0.0.0001", nullptr},
        {"0x7f.0.0.1", nullptr},
        {"", nullptr},
        {"a b", nullptr},
        {"-x", nullptr},
    };
    for (const Case& c : cases) {
        const HostAddress resolved = ResolveHostAddress(c.typed);
        if (c.address != nullptr) {
            EXPECT_EQ(resolved.address, c.address) << c.typed << ": " << resolved.error;
            EXPECT_TRUE(resolved.error.empty()) << c.typed;
        } else {
            EXPECT_TRUE(resolved.address.empty()) << c.typed << " -> " << resolved.address;
            EXPECT_FALSE(resolved.error.empty()) << c.typed;
        }
    }
}

}  // namespace
}  // namespace korva::netcfg

// KORVA_NETCFG_DEST, the variable that points the network setting dialog at
// one address instead of the broadcast. What is taken is an IPv4 address and
// a port 1..65535 that, written out again, read the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "netcfg/NetDestination.h"
#include "netcfg/NetText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korva::netcfg;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = ParseNetDestination(text);
    if (!parsed) return 0;
    if (parsed->port == 0 || !ParseIpv4(parsed->address)) std::abort();
    const auto again = ParseNetDestination(parsed->address + ":" + std::to_string(parsed->port));
    if (!again || again->address != parsed->address || again->port != parsed->port) std::abort();
    return 0;
}

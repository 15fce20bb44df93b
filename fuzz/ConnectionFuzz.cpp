// Connection option values as a user types them (--port, --baud, ... --tcp-port,
// and the numbers of --timeout and the net commands): NUL-separated fields in
// the order of ConnectionText. A value is taken whole and in range, or refused
// with a reason; nothing out of range ever gets through.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/NumberText.h"
#include "port/Connection.h"
#include "NulFields.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korva::port;
    std::vector<std::string> fields = SplitAtNul(data, size);
    fields.resize(10);
    const ConnectionText text{fields[0], fields[1], fields[2], fields[3], fields[4],
                              fields[5], fields[6], fields[7], fields[8], fields[9]};
    const Parsed<ConnectionSettings> parsed = ParseConnection(text);
    if (parsed) {
        const ConnectionSettings& s = *parsed.value;
        if (!IsSupportedBaudRate(s.baudRate) || s.dataBits < 5 || s.dataBits > 8) std::abort();
        if (!CheckStopBitsForDataBits(s.dataBits, s.stopBits).empty()) std::abort();
        if (s.tcpPort < 1 || s.tcpPort > 65535) std::abort();
    } else if (parsed.error.empty()) {
        std::abort();
    }
    // Every field through every value parser, each held to its own range.
    for (const std::string& field : fields) {
        int value = -1;
        if (korva::cli::ParseNumber(field, 10, 600000, value) && (value < 10 || value > 600000))
            std::abort();
        const Parsed<int> port = ParseTcpPort(field);
        if (port && (*port.value < 1 || *port.value > 65535)) std::abort();
        const Parsed<int> type = ParseDeviceType(field);
        if (type && (*type.value < 1 || *type.value > 3)) std::abort();
        const Parsed<int> baud = ParseBaudRate(field);
        if (baud && !IsSupportedBaudRate(*baud.value)) std::abort();
        (void)ParseIpAddress(field);
        (void)NormalizePortName(field);
    }
    return 0;
}

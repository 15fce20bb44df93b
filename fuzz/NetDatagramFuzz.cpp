// Datagrams come from anyone on the local network; typed texts come from the
// user. Any bytes must decode or be refused without reading out of bounds, and
// a decoded reply must encode back to the same fields.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "netcfg/ChangeRequest.h"
#include "netcfg/NetDatagram.h"
#include "netcfg/NetText.h"

using namespace korva::netcfg;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ReplyDecode reply = DecodeReply({data, size});
    if (reply.settings.has_value() != (size >= kDatagramSize)) std::abort();
    if (reply.settings) {
        const std::vector<uint8_t> again =
            EncodeSettingDatagram(NetCommand::Change, *reply.settings);
        for (size_t i = 3; i < 24; ++i)
            if (i != 21 && again[i] != data[i]) std::abort();
        const PrinterRow row = FormatPrinterRow(*reply.settings);
        if (ParseMac(row.mac) != reply.settings->mac) std::abort();
        if (ParseIpv4(RowIpAddress(row.ip)) != reply.settings->ip) std::abort();
    }
    // The same bytes as the texts a user types.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ParseIpv4(text);
    ParseMac(text);
    ParseHexPair(text);
    BuildChange({std::string(text), std::string(text), std::string(text), 6001, false},
                std::string(text));
    return 0;
}

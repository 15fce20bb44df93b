// The simulated printer's decoders take whatever a host sends: any bytes must
// decode without harm. The first byte picks the series and the reply framing;
// the rest is one connection's stream, and its first 35 bytes also go to the
// network-setting responder as a datagram.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Printer.h"
#include "Session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    using namespace korva::sim;
    const uint8_t mode = data[0];
    Faults faults;
    faults.nakEvery = (mode & 0x10) ? 3 : 0;
    Printer printer(1 + mode % 3, NetworkSettings{}, faults, 4096);
    ReplyFraming framing{(mode & 0x04) != 0, (mode & 0x08) != 0};
    size_t replied = 0;
    Session session(printer, "fuzz", framing,
                    [&replied](std::span<const uint8_t> bytes) { replied += bytes.size(); });
    std::span<const uint8_t> stream(data + 1, size - 1);
    // Two reads, so commands split across reads are covered as well.
    const size_t half = stream.size() / 2;
    session.Receive(stream.first(half));
    session.Receive(stream.subspan(half));
    std::string event;
    printer.Network().Handle(stream.first(std::min<size_t>(stream.size(), 35)), &event);
    return 0;
}

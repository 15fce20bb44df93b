// USB reply bytes come from the printer: any stream, cut anywhere, must decode
// without reading or writing out of bounds, one output byte at most per input byte.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "port/UsbReply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    korva::port::UsbReplyDecoder decoder;
    // The first byte picks the block size, as reads of the USB node would cut it.
    const size_t block = size > 0 ? (data[0] % 64) + 1 : 1;
    size_t total = 0;
    for (size_t at = 1; at < size; at += block) {
        const size_t n = std::min(block, size - at);
        std::vector<uint8_t> out(n);
        const size_t got = decoder.Decode({data + at, n}, out);
        if (got > n) std::abort();
        total += got;
    }
    if (size > 1 && total > size - 1) std::abort();
    return 0;
}

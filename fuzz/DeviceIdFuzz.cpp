// A USB printer's IEEE 1284 device ID comes from the printer: any bytes must
// parse or be refused with a reason, never read past what was read.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "port/DeviceId.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    const auto id = korva::port::ParseDeviceId({data, size}, error);
    if (!id && error.empty()) std::abort();
    if (id && id->text.size() + 2 > size) std::abort();
    return 0;
}

// Command-line connection options: NUL-separated words in any order must give
// settings or a usage error, never a crash.
#include <cstdint>
#include <string>
#include <vector>

#include "port/ConnectionArgs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.emplace_back();
        } else {
            args.back().push_back(static_cast<char>(data[i]));
        }
    }
    const auto parsed = korva::port::ParseConnectionArgs(args, size % 2 == 0);
    (void)parsed;
    return 0;
}

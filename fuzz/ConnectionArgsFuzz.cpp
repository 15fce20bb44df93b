// Command-line options: NUL-separated words in any order must give options
// and operands or a usage error, never a crash. The specs cover every kind
// the commands use: values, flags, short clusters, optional values, aliases
// and repeatable options.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/Options.h"
#include "NulFields.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using korva::cli::OptionSpec;
    static const std::vector<OptionSpec> specs = {
        {"port", 'p', "P"},
        {"baud", 'b', "N"},
        {"parity", 0, "P"},
        {"json", 'j', ""},
        {"quiet", 'q', ""},
        {"out", 0, "FILE", "", {"to-file"}},
        {"center", 0, "N,...", "", {}, false, true},
        {"select", 0, "TEXT", "", {}, true},
    };
    std::vector<std::string> args = SplitAtNul(data, size);
    const auto parsed = korva::cli::ParseOptions(args, specs);
    (void)parsed;
    return 0;
}

// Fuzzes the logo selection parser: any text must either be refused or give
// ranges inside 1..255, low to high, whose total matches.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "logo/PrintPlan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const korva::logo::PrintPlan plan = korva::logo::ParsePrintPlan(text);
    if (!plan.ok()) {
        if (!plan.ranges.empty()) std::abort();
        return 0;
    }
    long total = 0;
    for (const auto& r : plan.ranges) {
        if (r.first < 1 || r.last > 255 || r.first > r.last) std::abort();
        total += r.size();
    }
    if (plan.ranges.empty() || total != plan.total()) std::abort();
    return 0;
}

#include "logo/PrintPlan.h"

#include <cstdio>

namespace korva::logo {

namespace {

constexpr int kFirstLogo = 1;
constexpr int kLastLogo = 255;

/// Reads an optional run of digits; `missing` when empty. Values are capped
/// while reading, so a long run of digits cannot overflow.
bool readNumber(std::string_view digits, int missing, int& value, PlanError& error) {
    if (digits.empty()) {
        value = missing;
        return true;
    }
    long n = 0;
    for (char c : digits) {
        n = n * 10 + (c - '0');
        if (n > kLastLogo) n = kLastLogo + 1;  // already out of range; stop growing
    }
    if (n < kFirstLogo || n > kLastLogo) {
        error = PlanError::OutOfRange;
        return false;
    }
    value = static_cast<int>(n);
    return true;
}

bool ParseItem(std::string_view item, PlanRange& range, PlanError& error) {
    const size_t dash = item.find('-');
    if (dash == std::string_view::npos) {
        if (item.empty()) {
            error = PlanError::BadItem;
            return false;
        }
        if (!readNumber(item, 0, range.first, error)) return false;
        range.last = range.first;
        return true;
    }
    if (item.find('-', dash + 1) != std::string_view::npos) {
        error = PlanError::BadItem;  // "1-2-3"
        return false;
    }
    int a = 0;
    int b = 0;
    if (!readNumber(item.substr(0, dash), kFirstLogo, a, error)) return false;
    if (!readNumber(item.substr(dash + 1), kLastLogo, b, error)) return false;
    range = a <= b ? PlanRange{a, b} : PlanRange{b, a};
    return true;
}

}  // namespace

long PrintPlan::total() const {
    long sum = 0;
    for (const PlanRange& r : ranges) sum += r.size();
    return sum;
}

PrintPlan ParsePrintPlan(std::string_view text) {
    PrintPlan plan;
    for (char c : text) {
        if ((c < '0' || c > '9') && c != ',' && c != '-') {
            plan.error = PlanError::BadCharacter;
            return plan;
        }
    }
    if (text.find(",,") != std::string_view::npos) {
        plan.error = PlanError::DoubleComma;
        return plan;
    }
    if (text.find("--") != std::string_view::npos) {
        plan.error = PlanError::DoubleDash;
        return plan;
    }
    if (text.empty() || text == ",") {
        plan.error = PlanError::Empty;
        return plan;
    }
    if (text.front() == ',') text.remove_prefix(1);
    if (!text.empty() && text.back() == ',') text.remove_suffix(1);
    while (true) {
        const size_t comma = text.find(',');
        PlanRange range;
        if (!ParseItem(text.substr(0, comma), range, plan.error)) {
            plan.ranges.clear();
            return plan;
        }
        plan.ranges.push_back(range);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return plan;
}

const char* DescribePlanError(PlanError error) {
    switch (error) {
        case PlanError::None: return "no error";
        case PlanError::Empty: return "the selection is empty";
        case PlanError::BadCharacter: return "only digits, ',' and '-' are allowed";
        case PlanError::DoubleComma: return "',,' is not allowed";
        case PlanError::DoubleDash: return "'--' is not allowed";
        case PlanError::BadItem: return "an item is not a number or a range A-B";
        case PlanError::OutOfRange: return "logo numbers run from 1 to 255";
    }
    return "invalid selection";
}

std::vector<uint8_t> EncodeNvPrintCommand(int number, PrintSize size, bool starEmulation) {
    std::vector<uint8_t> out;
    if (starEmulation) out.push_back(0x1B);  // ESC: Star emulation prefix
    out.push_back(0x1C);                     // FS
    out.push_back(0x70);                     // p: print NV bit image
    out.push_back(static_cast<uint8_t>(number));
    out.push_back(static_cast<uint8_t>(size));
    return out;
}

std::string EncodeLogoHeaderLine(int number) {
    char line[32];
    std::snprintf(line, sizeof line, "--- Logo %d ---\n", number);
    return line;
}

}  // namespace korva::logo

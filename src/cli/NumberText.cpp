#include "cli/NumberText.h"

namespace korva::cli {

bool ParseNumber(std::string_view text, int lo, int hi, int& value) {
    if (text.empty() || text.size() > 9) return false;
    long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    if (n < lo || n > hi) return false;
    value = static_cast<int>(n);
    return true;
}

}  // namespace korva::cli

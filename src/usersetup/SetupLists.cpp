#include "usersetup/SetupLists.h"

namespace korva::usersetup {

int CodePageNumber(std::string_view entry) {
    const std::string_view digits = entry.substr(0, entry.find('|'));
    if (digits.empty() || digits.size() > 3) return -1;
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        number = number * 10 + (c - '0');
    }
    return number <= 255 ? number : -1;
}

int FindCodePage(const std::vector<std::string>& codePages, int number) {
    if (number < 0) return -1;
    for (size_t i = 0; i < codePages.size(); ++i)
        if (CodePageNumber(codePages[i]) == number) return static_cast<int>(i);
    return -1;
}

}  // namespace korva::usersetup

#pragma once
// The two lists of the user setup that come from the profile: receive-buffer
// sizes and code pages ("<printer number>|<label>").
#include <string>
#include <string_view>
#include <vector>

namespace korva::usersetup {

struct SetupLists {
    std::vector<std::string> receiveBuffers;  ///< "64", "32", "20", "4", ...
    std::vector<std::string> codePages;       ///< "16|WPC1252 (Windows CP)", ...
};

/// The printer number of a code-page entry: the decimal digits before the
/// first "|" (the whole text when there is none); -1 when they are not a
/// number 0..255, so such an entry is never matched and never sent.
int CodePageNumber(std::string_view entry);

/// Index of the first entry carrying `number`, or -1.
int FindCodePage(const std::vector<std::string>& codePages, int number);

}  // namespace korva::usersetup

#pragma once
// How a message quotes a value it was given: whole when short, else by its
// start and its length, so a huge argument never fills a terminal or a log.
#include <string>
#include <string_view>

namespace korva::base {

/// The characters of a value a message shows at most.
inline constexpr size_t kQuotedChars = 64;

/// "value", or "AAAA... (1048576 bytes)" for a value over kQuotedChars.
inline std::string ShortQuote(std::string_view value) {
    if (value.size() <= kQuotedChars) return std::string(value);
    return std::string(value.substr(0, kQuotedChars)) + "... (" + std::to_string(value.size()) + " bytes)";
}

}  // namespace korva::base

#pragma once
#include <string_view>

namespace korva::cli {

/// Reads a whole decimal number in lo..hi; false on anything else.
bool ParseNumber(std::string_view text, int lo, int hi, int& value);

}  // namespace korva::cli

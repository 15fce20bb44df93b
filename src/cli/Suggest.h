#pragma once
// "Did you mean": the known word closest to a mistyped one.
#include <string>
#include <string_view>
#include <vector>

namespace korva::cli {

/// The candidate nearest to `typed` (edits of one letter, a swap of two
/// neighbours counted as one), or "" when none is close enough to be the
/// word meant.
std::string ClosestWord(std::string_view typed, const std::vector<std::string>& candidates);

}  // namespace korva::cli

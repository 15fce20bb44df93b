#pragma once
// Column widths of UTF-8 text on a terminal, so tables with Korean or other
// wide characters line up.
#include <string>
#include <string_view>

namespace korva::cli {

/// Terminal columns `text` takes: East Asian wide characters count two,
/// combining marks none, anything else (invalid bytes included) one.
size_t DisplayWidth(std::string_view text);

/// `text` followed by spaces up to `columns` columns (as it is when wider).
std::string PadToWidth(std::string_view text, size_t columns);

}  // namespace korva::cli

#pragma once
// The logo print plan typed by hand ("3,9-7,-2") and the FS p command that
// prints one stored logo. Pure codec: no I/O.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korva::logo {

/// Inclusive range of logo numbers, first <= last, both 1..255.
struct PlanRange {
    int first = 1;
    int last = 1;
    int size() const { return last - first + 1; }
    bool operator==(const PlanRange&) const = default;
};

/// Why a selection text was refused. Every refusal is shown to the user as
/// the same "NV image number is incorrect."; the kind helps the CLI and tests.
enum class PlanError {
    None,
    Empty,             ///< "" or a lone ","
    BadCharacter,      ///< anything but 0-9 , -
    DoubleComma,       ///< ",,"
    DoubleDash,        ///< "--"
    BadItem,           ///< an item that is not N, N-M, -M, N- or -
    OutOfRange,        ///< a number outside 1..255
};

struct PrintPlan {
    PlanError error = PlanError::None;
    std::vector<PlanRange> ranges;  ///< in the order written, each stored low..high
    bool ok() const { return error == PlanError::None; }
    /// Logos the plan prints; repeats count again (so it may exceed 255).
    long total() const;
};

/// Parses the selection text. Accepts exactly: digits, "," and "-"; no ",,"
/// or "--"; not empty and not ","; one leading and one trailing "," dropped;
/// items N or A-B where a missing A is 1 and a missing B is 255; every number
/// 1..255. A range written high to low is stored low to high.
PrintPlan ParsePrintPlan(std::string_view text);

/// Short English description of a refusal, for the CLI's stderr.
const char* DescribePlanError(PlanError error);

/// Print size byte m of FS p.
enum class PrintSize : uint8_t {
    Normal = 0,
    DoubleWidth = 1,
    DoubleHeight = 2,
    Quadruple = 3,
};

/// [1B] 1C 70 n m: print stored logo n (1..255) at size m.
std::vector<uint8_t> EncodeNvPrintCommand(int number, PrintSize size, bool starEmulation);

/// "--- Logo %d ---\n": the text line printed above a logo when a header is asked for.
std::string EncodeLogoHeaderLine(int number);

}  // namespace korva::logo

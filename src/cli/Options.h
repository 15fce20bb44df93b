#pragma once
// The option grammar every `korva` command shares, as GNU tools spell it:
// `--name value`, `--name=value`, `-x value`, `-xvalue`, clustered short
// flags (`-qj`), `--` ending the options, and `-` as an ordinary operand
// (standard input or output where a file is expected).
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace korva::cli {

/// One option a command takes.
struct OptionSpec {
    std::string name;                  ///< long name without "--", e.g. "port"
    char shortName = 0;                ///< e.g. 'p'; 0 for none
    std::string valueName;             ///< e.g. "P"; empty for a flag
    std::string help = {};             ///< may span lines ("\n")
    std::vector<std::string> aliases = {};  ///< older long names, accepted but not shown
    bool repeatable = false;           ///< a value option that may be given more than once
    bool optionalValue = false;        ///< the value only as --name=value, else a flag

    bool TakesValue() const { return !valueName.empty() && !optionalValue; }
};

/// The options found (by their long name) and the operands, in order.
class ParsedOptions {
public:
    bool Has(std::string_view name) const { return m_Values.count(std::string(name)) != 0; }
    /// The value given (the last one of a repeatable option), or `fallback`.
    std::string Get(std::string_view name, const std::string& fallback = "") const;
    /// Every value given, in order.
    std::vector<std::string> All(std::string_view name) const;
    const std::vector<std::string>& Operands() const { return m_Operands; }

    void Add(const std::string& name, std::string value) {
        m_Values[name].push_back(std::move(value));
    }
    void AddOperand(std::string operand) { m_Operands.push_back(std::move(operand)); }

private:
    std::map<std::string, std::vector<std::string>> m_Values;
    std::vector<std::string> m_Operands;
};

struct OptionParse {
    ParsedOptions options;
    std::string error;  ///< empty on success; names the word at fault
};

/// Parses `args` against `specs`. An unknown option is refused with the
/// closest known one suggested.
OptionParse ParseOptions(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs);

/// "  -p, --port P         text" lines, as --help prints them; aliases stay hidden.
std::string OptionsHelp(const std::vector<OptionSpec>& specs);

}  // namespace korva::cli

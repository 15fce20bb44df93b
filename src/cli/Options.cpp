#include "cli/Options.h"

#include "base/ShortText.h"
#include "cli/Suggest.h"

namespace korva::cli {

namespace {

/// Where the help texts of the options begin.
constexpr size_t kHelpColumn = 25;

const OptionSpec* FindLong(std::string_view name, const std::vector<OptionSpec>& specs) {
    for (const OptionSpec& spec : specs) {
        if (spec.name == name) return &spec;
        for (const std::string& alias : spec.aliases)
            if (alias == name) return &spec;
    }
    return nullptr;
}

const OptionSpec* FindShort(char letter, const std::vector<OptionSpec>& specs) {
    for (const OptionSpec& spec : specs)
        if (spec.shortName == letter) return &spec;
    return nullptr;
}

std::string UnknownLong(std::string_view name, const std::vector<OptionSpec>& specs) {
    std::vector<std::string> names;
    for (const OptionSpec& spec : specs) names.push_back(spec.name);
    std::string why = "unknown option --" + base::ShortQuote(name);
    if (const std::string near = ClosestWord(name, names); !near.empty())
        why += " (did you mean --" + near + "?)";
    return why;
}

/// Records one option with its value; "" when fine, else the usage error.
std::string Take(const OptionSpec& spec, std::string value, ParsedOptions& out) {
    if (spec.TakesValue() && value.empty())
        return "--" + spec.name + " needs a value";
    if (spec.TakesValue() && !spec.repeatable && out.Has(spec.name))
        return "--" + spec.name + " given twice";
    out.Add(spec.name, std::move(value));
    return {};
}

}  // namespace

std::string ParsedOptions::Get(std::string_view name, const std::string& fallback) const {
    const auto found = m_Values.find(std::string(name));
    return found == m_Values.end() ? fallback : found->second.back();
}

std::vector<std::string> ParsedOptions::All(std::string_view name) const {
    const auto found = m_Values.find(std::string(name));
    return found == m_Values.end() ? std::vector<std::string>{} : found->second;
}

OptionParse ParseOptions(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs) {
    OptionParse result;
    ParsedOptions& out = result.options;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            out.AddOperand(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg.starts_with("--")) {
            const size_t equals = arg.find('=');
            const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            const OptionSpec* spec = FindLong(name, specs);
            if (spec == nullptr) {
                result.error = UnknownLong(name, specs);
                return result;
            }
            std::string value;
            if (equals != std::string::npos) {
                if (!spec->TakesValue() && !spec->optionalValue) {
                    result.error = "--" + spec->name + " takes no value";
                    return result;
                }
                value = arg.substr(equals + 1);
            } else if (spec->TakesValue()) {
                if (i + 1 >= args.size()) {
                    result.error = "--" + spec->name + " needs a value";
                    return result;
                }
                value = args[++i];
            }
            result.error = Take(*spec, std::move(value), out);
            if (!result.error.empty()) return result;
            continue;
        }
        // Short options: flags may be clustered; a value option takes the
        // rest of the word or the next argument.
        for (size_t k = 1; k < arg.size(); ++k) {
            const OptionSpec* spec = FindShort(arg[k], specs);
            if (spec == nullptr) {
                result.error = std::string("unknown option -") + arg[k];
                return result;
            }
            std::string value;
            if (spec->TakesValue()) {
                if (k + 1 < arg.size()) {
                    value = arg.substr(k + 1);
                } else if (i + 1 < args.size()) {
                    value = args[++i];
                } else {
                    result.error = std::string("-") + arg[k] + " needs a value";
                    return result;
                }
                k = arg.size();
            }
            result.error = Take(*spec, std::move(value), out);
            if (!result.error.empty()) return result;
        }
    }
    return result;
}

std::string OptionsHelp(const std::vector<OptionSpec>& specs) {
    std::string out;
    for (const OptionSpec& spec : specs) {
        std::string head = spec.shortName ? std::string("  -") + spec.shortName + ", --" : "      --";
        head += spec.name;
        if (spec.TakesValue()) head += " " + spec.valueName;
        if (spec.optionalValue) head += "[=" + spec.valueName + "]";
        head += head.size() < kHelpColumn ? std::string(kHelpColumn - head.size(), ' ')
                                          : "\n" + std::string(kHelpColumn, ' ');
        std::string text = spec.help;
        for (size_t nl = text.find('\n'); nl != std::string::npos; nl = text.find('\n', nl + 1))
            text.insert(nl + 1, std::string(kHelpColumn, ' '));
        out += head + text + "\n";
    }
    return out;
}

}  // namespace korva::cli

#include "cli/Completion.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <regex>
#include <set>

#include "profile/IniProfile.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/DeviceRootsEnv.h"
#include "cli/Help.h"
#include "logo/LogoList.h"
#include "port/Connection.h"
#include "port/Discovery.h"

namespace korva::cli {
namespace {

/// Lists written as a range ("1..5") are offered value by value up to this size.
constexpr int kLongestRange = 16;

bool IsPlaceholder(const std::string& word) {
    return !word.empty() && std::none_of(word.begin(), word.end(), [](unsigned char c) {
        return std::islower(c) || std::isdigit(c);
    });
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

/// "a|b|c" as its words, "1..5" as 1 to 5; placeholders such as "N" dropped.
std::vector<std::string> ValueList(const std::string& text) {
    std::vector<std::string> values;
    static const std::regex range(R"(^(\d+)\.\.(\d+)$)");
    size_t start = 0;
    while (start <= text.size()) {
        const size_t bar = std::min(text.find('|', start), text.size());
        const std::string word = text.substr(start, bar - start);
        start = bar + 1;
        std::smatch m;
        if (std::regex_match(word, m, range)) {
            const int lo = std::stoi(m[1]), hi = std::stoi(m[2]);
            if (hi >= lo && hi - lo < kLongestRange)
                for (int v = lo; v <= hi; ++v) values.push_back(std::to_string(v));
        } else if (!word.empty() && !IsPlaceholder(word)) {
            values.push_back(word);
        }
    }
    return values;
}

/// The values an option lists where the help shows it: in its value name
/// ("on|off"), after it in the usage line ("--size normal|double-width|..."),
/// or at the head of its help ("hw|sw|none, default hw", "5..8", "1 KORVA20,
/// 2 KORVA10").
std::vector<Candidate> ListedValues(const Command& command, const OptionSpec& spec) {
    std::vector<Candidate> out;
    auto add = [&](const std::vector<std::string>& words) {
        for (const std::string& w : words) out.push_back({w});
    };
    if (spec.valueName.find('|') != std::string::npos) {
        add(ValueList(spec.valueName));
        return out;
    }
    const std::regex inUsage("--" + spec.name + R"([ =]([A-Za-z0-9.-]+(\|[A-Za-z0-9.-]+)+))");
    std::smatch m;
    if (std::regex_search(command.synopsis, m, inUsage)) {
        add(ValueList(m[1]));
        return out;
    }
    const std::string help = FirstLine(spec.help);
    static const std::regex listHead(R"(^([A-Za-z0-9.-]+(\|[A-Za-z0-9.-]+)+|\d+\.\.\d+)([ ,]|$))");
    if (std::regex_search(help, m, listHead)) {
        add(ValueList(m[1]));
        return out;
    }
    static const std::regex numbered(R"((\d+) ([A-Z][A-Za-z0-9]*)(, |$| \())");
    if (help.size() > 0 && std::isdigit(static_cast<unsigned char>(help[0]))) {
        for (auto it = std::sregex_iterator(help.begin(), help.end(), numbered);
             it != std::sregex_iterator(); ++it)
            out.push_back({(*it)[1], (*it)[2]});
    }
    return out;
}

bool NamesAFile(const std::string& valueName) {
    static const std::regex fileName(R"(^(FILE|[A-Z]+\.[a-z]+)$)");
    return std::regex_match(valueName, fileName);
}

std::vector<Candidate> Ports() {
    std::vector<Candidate> out;
    const port::DeviceRoots roots = DeviceRootsFromEnvironment();
    for (const bool parallel : {false, true}) {
        std::vector<std::string> paths;
        port::EnumPorts(parallel, paths, roots);
        for (const std::string& path : paths)
            out.push_back({path, parallel ? "parallel port" : "serial port"});
    }
    for (const port::UsbPrinterEntry& printer : port::ListUsbPrinters(roots))
        out.push_back({printer.devicePath, "USB printer " + printer.hardwareId});
    out.push_back({"USB", "the one KORVA USB printer of the model's series"});
    out.push_back({"ETHERNET_II", "an Ethernet printer (--ip, --tcp-port)"});
    return out;
}

/// Logo numbers: every one the profile's logo list holds, and all of them.
std::vector<Candidate> LogoNumbers(const std::string& typed) {
    const size_t comma = typed.rfind(',');
    const std::string head = comma == std::string::npos ? "" : typed.substr(0, comma + 1);
    std::vector<Candidate> out;
    const profile::IniProfile profile(profile::DefaultProfilePath("KorvaTool"));
    for (int n = 1; n <= 255; ++n) {
        const std::string file = profile.GetString(logo::kLogoSection, "Logofile" + std::to_string(n), "");
        if (!file.empty()) out.push_back({head + std::to_string(n), file});
    }
    out.push_back({head + "1-255", "every logo"});
    return out;
}

/// The values of one option; `files` set where a file name fits.
Completions OptionValues(const Command& command, const OptionSpec& spec, const std::string& typed) {
    Completions c;
    if (spec.name == "port") {
        c.candidates = Ports();
    } else if (spec.name == "baud") {
        for (int rate : port::SupportedBaudRates()) c.candidates.push_back({std::to_string(rate)});
    } else if (spec.name == "model") {
        for (const std::string& model : KnownModels()) c.candidates.push_back({model});
    } else if (spec.name == "select") {
        c.candidates = LogoNumbers(typed);
    } else if (NamesAFile(spec.valueName)) {
        c.files = true;
    } else {
        c.candidates = ListedValues(command, spec);
    }
    return c;
}

/// What the command's usage line takes besides options: files, NAME=VALUE
/// settings, or nothing. Words after an option name are its value.
struct Operands {
    bool files = false;
    bool settings = false;
};

Operands OperandsOf(const Command& command) {
    Operands out;
    std::string text = command.synopsis;
    std::replace(text.begin(), text.end(), '\n', ' ');
    bool afterOption = false;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = std::min(text.find(' ', pos), text.size());
        std::string word = text.substr(pos, end - pos);
        pos = end + 1;
        if (word.empty() || word == "|") continue;
        const bool closed = word.back() == ']' || word.back() == ')';
        word.erase(0, word.find_first_not_of("[("));
        if (word.starts_with("-")) {
            afterOption = !closed && word.find('[') == std::string::npos;
            continue;
        }
        const bool value = afterOption;
        afterOption = false;
        if (value || std::none_of(word.begin(), word.end(), [](unsigned char c) {
                return std::isupper(c);
            }))
            continue;
        (word.find('=') != std::string::npos ? out.settings : out.files) = true;
    }
    return out;
}

/// NAME=VALUE for the settings the command's help lists ("  name=a|b|c").
std::vector<Candidate> Settings(const Command& command, const std::string& typed) {
    std::vector<Candidate> out;
    static const std::regex setting(R"(([a-z][a-z0-9-]*)=([^ \n]+))");
    const std::string& help = command.footer;
    const size_t equals = typed.find('=');
    for (auto it = std::sregex_iterator(help.begin(), help.end(), setting);
         it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[1];
        if (equals == std::string::npos) {
            out.push_back({name + "="});
        } else if (typed.substr(0, equals) == name) {
            for (const std::string& value : ValueList((*it)[2])) out.push_back({name + "=" + value});
        }
    }
    return out;
}

const OptionSpec* FindLong(const std::vector<OptionSpec>& specs, const std::string& name) {
    for (const OptionSpec& spec : specs) {
        if (spec.name == name) return &spec;
        if (std::find(spec.aliases.begin(), spec.aliases.end(), name) != spec.aliases.end())
            return &spec;
    }
    return nullptr;
}

const OptionSpec* FindShort(const std::vector<OptionSpec>& specs, char letter) {
    for (const OptionSpec& spec : specs)
        if (spec.shortName == letter) return &spec;
    return nullptr;
}

std::vector<Candidate> TopLevelOptions() {
    std::vector<Candidate> out;
    for (const OptionSpec& spec : CommonOptions()) {
        out.push_back({"--" + spec.name, FirstLine(spec.help)});
        if (spec.shortName) out.push_back({std::string("-") + spec.shortName, FirstLine(spec.help)});
    }
    out.push_back({"--version", "print the program version"});
    return out;
}

/// The words that may follow `typed` among the command names.
std::vector<Candidate> NextCommandWords(const std::vector<std::string>& typed, bool offerHelp) {
    std::vector<Candidate> out;
    std::set<std::string> seen;
    for (const Command& command : Commands()) {
        if (command.words.size() <= typed.size() ||
            !std::equal(typed.begin(), typed.end(), command.words.begin()))
            continue;
        const std::string& next = command.words[typed.size()];
        if (!seen.insert(next).second) continue;
        const bool leaf = command.words.size() == typed.size() + 1;
        out.push_back({next, leaf ? command.summary : ""});
    }
    if (offerHelp) out.push_back({"help", "describe a command"});
    return out;
}

Completions CommandCompletions(const Command& command, const std::vector<std::string>& rest,
                               const std::string& cur) {
    std::vector<OptionSpec> specs = command.options;
    specs.insert(specs.end(), CommonOptions().begin(), CommonOptions().end());
    const OptionSpec* pending = nullptr;
    bool optionsEnded = false;
    std::set<std::string> given;
    for (const std::string& word : rest) {
        if (pending) {
            pending = nullptr;
        } else if (optionsEnded || word == "-" || !word.starts_with("-")) {
            continue;
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word.starts_with("--")) {
            const size_t equals = word.find('=');
            const OptionSpec* spec = FindLong(specs, word.substr(2, equals == std::string::npos ? equals : equals - 2));
            if (!spec) continue;
            given.insert(spec->name);
            if (spec->TakesValue() && equals == std::string::npos) pending = spec;
        } else {
            for (size_t k = 1; k < word.size(); ++k) {
                const OptionSpec* spec = FindShort(specs, word[k]);
                if (!spec) break;
                given.insert(spec->name);
                if (spec->TakesValue()) {
                    if (k + 1 == word.size()) pending = spec;
                    break;
                }
            }
        }
    }
    if (pending) return OptionValues(command, *pending, cur);
    if (!optionsEnded && cur.starts_with("--") && cur.find('=') != std::string::npos) {
        const std::string name = cur.substr(2, cur.find('=') - 2);
        const OptionSpec* spec = FindLong(specs, name);
        if (!spec || (!spec->TakesValue() && !spec->optionalValue)) return {};
        const std::string head = cur.substr(0, cur.find('=') + 1);
        Completions c = OptionValues(command, *spec, cur.substr(head.size()));
        for (Candidate& candidate : c.candidates) candidate.word = head + candidate.word;
        return c;
    }
    if (!optionsEnded && cur.starts_with("-") && cur != "-") {
        Completions c;
        for (const OptionSpec& spec : specs) {
            if (given.count(spec.name) && !spec.repeatable) continue;
            c.candidates.push_back({"--" + spec.name, FirstLine(spec.help)});
            if (spec.shortName)
                c.candidates.push_back({std::string("-") + spec.shortName, FirstLine(spec.help)});
        }
        return c;
    }
    const Operands operands = OperandsOf(command);
    Completions c;
    if (operands.settings) c.candidates = Settings(command, cur);
    c.files = operands.files;
    return c;
}

}  // namespace

Completions Complete(const std::vector<std::string>& words) {
    const std::string cur = words.empty() ? "" : words.back();
    const std::vector<std::string> before(words.begin(), words.end() - (words.empty() ? 0 : 1));
    size_t i = 0;
    while (i < before.size() && before[i].starts_with("-")) ++i;
    if (i < before.size() && before[i] == "--version") return {};
    const bool askingHelp = i < before.size() && before[i] == "help";
    if (askingHelp) ++i;
    const size_t firstWord = i;

    // The command: the longest run of words that begins some command's name;
    // the words after it are its options and operands.
    auto beginsACommand = [](const std::vector<std::string>& typed) {
        return std::any_of(Commands().begin(), Commands().end(), [&](const Command& c) {
            return c.words.size() >= typed.size() &&
                   std::equal(typed.begin(), typed.end(), c.words.begin());
        });
    };
    std::vector<std::string> typed;
    for (; i < before.size() && !before[i].starts_with("-"); ++i) {
        typed.push_back(before[i]);
        if (!beginsACommand(typed)) {
            typed.pop_back();
            break;
        }
    }
    const auto command = std::find_if(Commands().begin(), Commands().end(),
                                      [&](const Command& c) { return c.words == typed; });
    if (command == Commands().end()) {
        if (i < before.size()) return {};  // an unknown word, or an option inside a command name
        if (cur.starts_with("-") && typed.empty() && !askingHelp) return {TopLevelOptions()};
        return {NextCommandWords(typed, !askingHelp && firstWord == before.size() && typed.empty())};
    }
    if (askingHelp) return {};
    return CommandCompletions(*command, {before.begin() + static_cast<long>(i), before.end()}, cur);
}

int PrintCompletions(const std::vector<std::string>& words) {
    const Completions completions = Complete(words);
    for (const Candidate& candidate : completions.candidates) {
        if (candidate.description.empty()) std::printf("%s\n", candidate.word.c_str());
        else std::printf("%s\t%s\n", candidate.word.c_str(), candidate.description.c_str());
    }
    if (completions.files) std::printf(":files\n");
    return 0;
}

}  // namespace korva::cli

#include "cli/Help.h"

#include "cli/Output.h"

namespace korva::cli {

const std::vector<OptionSpec>& CommonOptions() {
    static const std::vector<OptionSpec> options = {
        {"json", 'j', "", "print the result as one JSON object on one line of\n"
                          "stdout (failures too: {\"outcome\":\"failed\",...})"},
        {"quiet", 'q', "", "print errors only"},
        {"verbose", 'v', "", "also print the technical log lines on stderr"},
        {"help", 'h', "", "show this help"},
    };
    return options;
}

std::string CommandName(const Command& command) {
    std::string name = "korva";
    for (const std::string& word : command.words) name += " " + word;
    return name;
}

std::string CommandHelp(const Command& command) {
    std::string text = "usage: " + CommandName(command) +
                       (command.synopsis.empty() ? "" : " " + command.synopsis) + "\n";
    if (!command.description.empty()) text += command.description + "\n";
    if (!command.options.empty()) text += "\nOptions:\n" + OptionsHelp(command.options);
    text += "\nCommon options:\n" + OptionsHelp(CommonOptions());
    if (!command.footer.empty()) text += "\n" + command.footer;
    return text;
}

std::string CommandList(const std::string& group) {
    std::string text;
    for (const Command& command : Commands()) {
        if (!group.empty() && command.words[0] != group) continue;
        std::string words;
        for (const std::string& w : command.words) words += (words.empty() ? "" : " ") + w;
        words.resize(std::max<size_t>(words.size(), 20), ' ');
        text += "  " + words + "  " + command.summary + "\n";
    }
    return text;
}

std::string ProgramHelp() {
    return "usage: korva [-q|-v] [-j] <command> [options]\n"
           "       korva help <command>    korva --version\n\n"
           "Commands:\n" +
           CommandList("") +
           "\nEvery command takes --help. Exit codes: 0 done, 1 printer or port failure,\n"
           "2 usage error, 3 bad input file (or unwritable output file), 4 read with\n"
           "unknowns (setup read), 129/130/143 cancelled by SIGHUP/SIGINT/SIGTERM.\n"
           "With -j every run prints one JSON object (schema 1: schema, command, target,\n"
           "outcome, reason, error and the command's own keys, null when unknown).\n"
           "--require-confirmed or KORVA_REQUIRE_CONFIRMED=1: a result the printer did\n"
           "not confirm fails (exit 1, reason confirm-required).\n";
}

int UsageError(const std::string& why) {
    Error(why);
    const std::string name = Mode().command.empty() ? "korva" : "korva " + Mode().command;
    std::fprintf(stderr, "Try '%s --help'.\n", name.c_str());
    return kExitUsage;
}

}  // namespace korva::cli

// korva: command-line front end over the tool's engines.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Command.h"

namespace korva::cli {

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

namespace {

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: korva <command> [options]\n\ncommands:\n");
    for (const Command& command : Commands()) {
        std::string words;
        for (const std::string& w : command.words) words += (words.empty() ? "" : " ") + w;
        std::fprintf(out, "  %-22s %s\n", words.c_str(), command.summary.c_str());
    }
    std::fprintf(out, "\nEvery command takes --help.\n");
}

}  // namespace
}  // namespace korva::cli

int main(int argc, char** argv) {
    using namespace korva::cli;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        PrintUsage(args.empty() ? stderr : stdout);
        return args.empty() ? kExitUsage : kExitOk;
    }
    // The longest run of leading words that names a command wins.
    const Command* best = nullptr;
    size_t bestLength = 0;
    for (const Command& command : Commands()) {
        const size_t n = command.words.size();
        if (n > args.size() || n <= bestLength) continue;
        bool match = true;
        for (size_t i = 0; i < n && match; ++i) match = command.words[i] == args[i];
        if (match) {
            best = &command;
            bestLength = n;
        }
    }
    if (best == nullptr) {
        std::fprintf(stderr, "korva: unknown command '%s'\n", args[0].c_str());
        PrintUsage(stderr);
        return kExitUsage;
    }
    return best->run(std::vector<std::string>(args.begin() + static_cast<long>(bestLength), args.end()));
}

// korva: command-line front end over the tool's engines.
#include <QString>
#include <QtGlobal>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "cli/Command.h"
#include "cli/Completion.h"
#include "cli/Help.h"
#include "cli/JsonReport.h"
#include "cli/Output.h"
#include "cli/RunReason.h"
#include "cli/Signals.h"
#include "cli/Suggest.h"
#include "cli/TargetLock.h"

namespace korva::cli {

namespace {

/// The command named by the leading words of `args`, the longest match; the
/// number of words it took in `length`.
const Command* FindCommand(const std::vector<std::string>& args, size_t& length) {
    const Command* best = nullptr;
    length = 0;
    for (const Command& command : Commands()) {
        const size_t n = command.words.size();
        if (n > args.size() || n <= length) continue;
        if (std::equal(command.words.begin(), command.words.end(), args.begin())) {
            best = &command;
            length = n;
        }
    }
    return best;
}

bool IsGroup(const std::string& word) {
    return std::any_of(Commands().begin(), Commands().end(), [&](const Command& c) {
        return c.words.size() > 1 && c.words[0] == word;
    });
}

/// Names the word that is wrong: the command, or the group's subcommand.
int UnknownCommand(const std::vector<std::string>& args) {
    std::vector<std::string> known;
    const bool group = IsGroup(args[0]);
    for (const Command& command : Commands()) {
        if (!group) known.push_back(command.words[0]);
        else if (command.words[0] == args[0]) known.push_back(command.words[1]);
    }
    const std::string& word = group ? args[1] : args[0];
    std::string why = "'" + ShortQuote(word) + "' is not a " + (group ? args[0] + " " : "korva ") + "command";
    if (const std::string near = ClosestWord(word, known); !near.empty())
        why += " (did you mean '" + near + "'?)";
    if (group) SetOutputMode({Mode().quiet, Mode().verbose, Mode().json, args[0]});
    return UsageError(why);
}

std::string GroupHelp(const std::string& group) {
    return "usage: korva " + group + " <command> [options]\n\nCommands:\n" + CommandList(group) +
           "\n'korva " + group + " <command> --help' describes one.\n";
}

/// Prints the help of a command, a group or the program ("korva help X").
int Help(const std::vector<std::string>& words) {
    if (words.size() == 1 && words[0] == "help") {
        std::fputs("usage: korva help [<command>]\n"
                   "Prints the help of a command (korva help logo upload), of a group\n"
                   "(korva help logo) or of the program (korva help).\n",
                   stdout);
        return kExitOk;
    }
    size_t length = 0;
    if (const Command* command = FindCommand(words, length); command && length == words.size()) {
        std::fputs(CommandHelp(*command).c_str(), stdout);
        return kExitOk;
    }
    if (words.size() == 1 && IsGroup(words[0])) {
        std::fputs(GroupHelp(words[0]).c_str(), stdout);
        return kExitOk;
    }
    if (words.empty()) {
        std::fputs(ProgramHelp().c_str(), stdout);
        return kExitOk;
    }
    return UnknownCommand(words);
}

/// Whether --json (or -j, also inside a cluster of common flags such as
/// -qj) is among the options of `args`, wherever it stands: a failure found
/// before it is reported as JSON too.
bool WantsJson(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (arg == "--json") return true;
        if (arg.size() < 2 || arg[0] != '-' || arg[1] == '-') continue;
        if (arg.find('j') != std::string::npos &&
            arg.find_first_not_of("qvjh", 1) == std::string::npos)
            return true;
    }
    return false;
}

int RunCommand(const Command& command, const std::vector<std::string>& args, OutputMode mode) {
    std::vector<OptionSpec> specs = command.options;
    specs.insert(specs.end(), CommonOptions().begin(), CommonOptions().end());
    mode.command = CommandName(command).substr(6);
    SetOutputMode(mode);
    SetJsonCommand(mode.command);
    const OptionParse parse = ParseOptions(args, specs);
    if (parse.options.Has("help")) {
        std::fputs(CommandHelp(command).c_str(), stdout);
        return kExitOk;
    }
    mode.quiet = mode.quiet || parse.options.Has("quiet");
    mode.verbose = mode.verbose || parse.options.Has("verbose");
    mode.json = mode.json || parse.options.Has("json") || WantsJson(args);
    if (mode.quiet && mode.verbose) mode.verbose = false;
    SetOutputMode(mode);
    InstallSignalHandlers();
    if (!parse.error.empty()) return UsageError(parse.error);
    // The technical lines the GUI keeps in error.log.
    // A close before every open finds nothing open: no news for the user.
    if (mode.verbose)
        base::ErrorLog().SetEcho([](const std::string& line) {
            if (line.find("Close() Invalid Handle") == std::string::npos) Verbose(line);
        });
    return command.run(parse.options);
}

int Dispatch(std::vector<std::string> args) {
    // The shells' completion scripts ask here; never listed in the help.
    if (!args.empty() && args[0] == kCompleteWord) return PrintCompletions({args.begin() + 1, args.end()});
    // Options before the command word: the common ones, --help, --version.
    OutputMode mode;
    mode.json = WantsJson(args);
    size_t first = 0;
    bool version = false;
    for (; first < args.size() && args[first].starts_with("-"); ++first) {
        const std::string& arg = args[first];
        if (arg == "-q" || arg == "--quiet") mode.quiet = true;
        else if (arg == "-v" || arg == "--verbose") mode.verbose = true;
        else if (arg == "-j" || arg == "--json") mode.json = true;
        else if (arg == "--version") version = true;
        else if (arg == "-h" || arg == "--help") return SetOutputMode(mode), Help({});
        else {
            SetOutputMode(mode);
            std::string why = "unknown option " + ShortQuote(arg);
            const std::string name = arg.substr(0, arg.find('='));
            if (const std::string near = ClosestWord(name, {"--quiet", "--verbose", "--json", "--version",
                                                            "--help"});
                !near.empty())
                why += " (did you mean " + near + "?)";
            return UsageError(why);
        }
    }
    SetOutputMode(mode);
    args.erase(args.begin(), args.begin() + static_cast<long>(first));
    // --version is the version command, so -j gives its JSON too.
    if (version) args = {"version"};
    if (args.empty()) {
        // Under --json the failure is the one JSON line; the help would only
        // bury it.
        if (mode.json) return UsageError("no command given");
        std::fputs(ProgramHelp().c_str(), stderr);
        return kExitUsage;
    }
    if (args[0] == "help") return Help({args.begin() + 1, args.end()});
    size_t length = 0;
    const Command* command = FindCommand(args, length);
    if (command == nullptr) {
        if (IsGroup(args[0]) && args.size() == 1) {
            std::fputs(GroupHelp(args[0]).c_str(), stderr);
            return kExitUsage;
        }
        if (IsGroup(args[0]) && (args[1] == "--help" || args[1] == "-h")) return Help({args[0]});
        return UnknownCommand(args);
    }
    return RunCommand(*command, {args.begin() + static_cast<long>(length), args.end()}, mode);
}

}  // namespace
}  // namespace korva::cli

/// Descriptors 0-2 that were closed when korva started are opened on
/// /dev/null, so a port or file opened later never becomes standard output
/// (where a result would be written to the printer).
void KeepStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1) continue;
        const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        // open takes the lowest free number: the closed one.
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
}

int main(int argc, char** argv) {
    using namespace korva::cli;
    KeepStandardStreams();
    // Qt's own lines (and the image libraries' under it) are technical: shown
    // with -v like the error log's, never on a quiet or JSON run.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        Verbose(text.trimmed().toStdString());
    });
    int code = Dispatch(std::vector<std::string>(argv + 1, argv + argc));
    PrintJsonFailure(code);
    if (const std::string line = ReasonLine(code); !line.empty()) Error(line);
    // Whoever reads this output may be the next run on the same printer.
    ReleaseTargetLock();
    if (std::string why; !CloseStdout(why)) {
        Error(why);
        if (code == kExitOk) code = kExitPrinter;
    }
    return code;
}

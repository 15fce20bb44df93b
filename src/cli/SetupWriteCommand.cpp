// korva setup write: changes user settings. The printer's current settings
// are read first, so the ones not named keep their values (the margin and the
// setup code are always part of the command), and read again after the write
// to confirm it. What `korva setup read` prints is taken back unchanged: a
// read-only value, or one outside the tool's lists, equal to the printer's is
// skipped.
#include <QFile>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "base/MessageBox.h"
#include "base/Messages.h"
#include "cli/Command.h"
#include "cli/InputFile.h"
#include "cli/InputKinds.h"
#include "cli/JsonReport.h"
#include "cli/DeviceRootsEnv.h"
#include "cli/LogoCommandSupport.h"
#include "cli/Output.h"
#include "cli/RunReason.h"
#include "cli/SetupCommand.h"
#include "cli/Signals.h"
#include "cli/Suggest.h"
#include "cli/TargetLock.h"
#include "usersetup/SettingCompanions.h"
#include "usersetup/SettingNames.h"
#include "usersetup/RequestLists.h"
#include "usersetup/SettingsFile.h"
#include "usersetup/SettingsJson.h"
#include "usersetup/SetupCommands.h"
#include "usersetup/SetupSession.h"

namespace korva::cli {
namespace {

/// Settings the printer reports but does not take.
constexpr const char* kReadOnly[] = {"reserved"};

struct Change {
    std::string name, value;
};

bool IsReadOnly(const std::string& name) {
    for (const char* readOnly : kReadOnly)
        if (name == readOnly) return true;
    return false;
}

/// The value `name` has in `settings` as `setup read` prints it, "" when none.
std::string DescribedValue(const usersetup::UserSettings& settings,
                           const usersetup::SetupLists& lists, const std::string& name) {
    for (const auto& [described, value] : usersetup::DescribeSettings(settings, lists))
        if (described == name) return value;
    return "";
}

/// The settings of another printer in a file (either form `korva setup
/// read` prints). nullopt after saying why.
std::optional<std::vector<Change>> SettingsFromFile(const std::string& path) {
    InputFile input;
    if (!input.Read(path, SettingsInput())) return std::nullopt;
    const usersetup::SettingsFileResult read = usersetup::ReadSettingsFile(input.Bytes());
    if (!read.error.empty()) {
        SetReason(base::Reason::BadInput, Subject::File, input.Name());
        Error(input.Name() + ": " + read.error);
        return std::nullopt;
    }
    std::vector<Change> changes;
    for (const auto& [name, value] : read.changes) changes.push_back({name, value});
    return changes;
}

/// A named value the tool does not write (a density or speed outside its
/// lists, as `setup read` prints the printer's own): taken only when it is
/// what the printer already has, so the round trip passes.
struct AsPrinter {
    Change change;
    std::string why;
};

/// Where a NAME=VALUE came from, for the exit code of a refusal.
int Refuse(bool fromFile, const std::string& file, const std::string& why) {
    if (!fromFile) return UsageError(why);
    SetReason(base::Reason::BadInput, Subject::File, file);
    Error(file + ": " + why);
    return kExitBadInput;
}

/// " (did you mean paper-width?)" for a mistyped setting name, else "".
std::string SettingSuggestion(const std::string& name) {
    // The names are those the help lists ("  name=values   name=values").
    std::vector<std::string> known;
    const std::string help = usersetup::SettingNamesHelp();
    for (size_t at = help.find('='); at != std::string::npos; at = help.find('=', at + 1)) {
        size_t start = at;
        while (start > 0 && (std::isalnum(static_cast<unsigned char>(help[start - 1])) || help[start - 1] == '-'))
            --start;
        if (start < at && (start == 0 || help[start - 1] == ' ')) known.push_back(help.substr(start, at - start));
    }
    if (std::find(known.begin(), known.end(), name) != known.end()) return "";
    const std::string near = ClosestWord(name, known);
    return near.empty() ? "" : " (did you mean " + near + "?)";
}

/// The settings `settings` changes from `held`, without the write-only
/// ones (the printer cannot say what it holds of them).
std::vector<SettingChange> KnownChanges(const usersetup::UserSettings& held,
                                        const usersetup::UserSettings& settings,
                                        const usersetup::SetupLists& lists,
                                        const std::vector<std::string>& writeOnly) {
    std::vector<SettingChange> changes;
    for (SettingChange& change : ChangedSettings(held, settings, lists))
        if (std::find(writeOnly.begin(), writeOnly.end(), change.name) == writeOnly.end())
            changes.push_back(std::move(change));
    return changes;
}

/// {NAME: {"from", "to"}} of the changes.
QJsonObject ChangesJson(const std::vector<SettingChange>& changes) {
    QJsonObject json;
    for (const SettingChange& change : changes)
        json[QString::fromStdString(change.name)] =
            QJsonObject{{"from", SettingValueJson(change.name, change.before)},
                        {"to", SettingValueJson(change.name, change.after)}};
    return json;
}

/// The write-only settings the command names: written, though nobody can
/// tell whether they differ.
std::vector<std::string> NamedWriteOnly(const std::vector<std::string>& writeOnly,
                                        const std::set<std::string>& names) {
    std::vector<std::string> named;
    for (const std::string& name : writeOnly)
        if (names.count(name)) named.push_back(name);
    return named;
}

/// --dry-run: what would change, "name: held -> new", nothing written.
int PrintDryRun(const std::vector<SettingChange>& changes, const std::vector<std::string>& writeOnlyNamed,
                const QJsonArray& writeOnly) {
    if (!Mode().json)
        for (const SettingChange& change : changes)
            std::printf("%s: %s -> %s\n", change.name.c_str(), change.before.c_str(), change.after.c_str());
    for (const std::string& name : writeOnlyNamed)
        Note("dry run: " + name + " would be written; the printer cannot say what it holds");
    Note(changes.empty() ? "dry run: the printer holds these settings already; nothing was written"
                         : "dry run: " + std::to_string(changes.size()) + " setting" +
                               (changes.size() > 1 ? "s" : "") + " would change; nothing was written");
    JsonReport(Outcome::Done)
        .Set("dry_run", true)
        .Set("changed", !changes.empty())
        .Set("changes", ChangesJson(changes))
        .Set("write_only", writeOnly)
        .Print();
    return kExitOk;
}

/// The differences a read-back found, as the result names them.
QJsonObject NotKeptJson(const std::vector<usersetup::ReadBackDifference>& differences) {
    QJsonObject json;
    for (const usersetup::ReadBackDifference& difference : differences)
        json[QString::fromStdString(difference.name)] =
            QJsonObject{{"written", SettingValueJson(difference.name, difference.written)},
                        {"read", SettingValueJson(difference.name, difference.readBack)}};
    return json;
}

int RunWrite(const ParsedOptions& parsed) {
    const std::optional<SetupOptions> options = ParseSetupOptions(parsed);
    if (!options) return kExitUsage;
    const bool defaults = parsed.Has("defaults");
    const bool noRead = parsed.Has("no-read");
    const bool skipUnknown = parsed.Has("skip-unknown");
    const bool dryRun = parsed.Has("dry-run");
    if (dryRun && noRead)
        return UsageError("--dry-run compares with what the printer holds; it cannot go with --no-read");
    const std::string fromPath = parsed.Has("from") ? parsed.Get("from") : "";
    std::vector<Change> given, changes, readOnly, fileReadOnly;
    std::vector<AsPrinter> asPrinter;
    const usersetup::SetupLists lists = ProgramSetupLists();
    if (parsed.Has("from")) {
        std::optional<std::vector<Change>> fromFile = SettingsFromFile(fromPath);
        if (!fromFile) return kExitBadInput;
        given = std::move(*fromFile);
    }
    const size_t fromFileCount = given.size();
    for (const std::string& arg : parsed.Operands()) {
        const size_t eq = arg.find('=');
        if (eq == std::string::npos) return UsageError("unexpected argument " + arg);
        given.push_back({arg.substr(0, eq), arg.substr(eq + 1)});
    }
    StderrMessages messages;
    // Every value is checked, and what goes together is complete, before
    // anything goes to the printer.
    usersetup::UserSettings named;
    std::set<std::string> names;
    bool nvFromFile = false;
    for (size_t i = 0; i < given.size(); ++i) {
        Change& change = given[i];
        const bool inFile = i < fromFileCount;
        if (change.value == usersetup::kUnknownText) {
            if (skipUnknown) continue;
            return Refuse(inFile, fromPath,
                          change.name + "=unknown: the printer it was read from could not say "
                          "it; nothing written (--skip-unknown leaves such settings out)");
        }
        if (IsReadOnly(change.name)) {
            (inFile ? fileReadOnly : readOnly).push_back(std::move(change));
            continue;
        }
        const std::string why =
            usersetup::ApplySettingText(named, lists, change.name, change.value);
        if (!why.empty() && !inFile && usersetup::SettingNumberOf(change.name) != 0) {
            asPrinter.push_back({std::move(change), why});
            continue;
        }
        if (!why.empty()) return Refuse(inFile, fromPath, why + SettingSuggestion(change.name));
        if (inFile && (change.name == "nv-user" || change.name == "nv-graphic")) nvFromFile = true;
        names.insert(change.name);
        changes.push_back(std::move(change));
    }
    if (changes.empty() && readOnly.empty() && asPrinter.empty() && !defaults)
        return UsageError("name at least one NAME=VALUE, or --defaults or --from FILE");
    if (!usersetup::NvMemoryTotalFits(named)) {
        char text[256];
        std::snprintf(text, sizeof text, base::Message(base::kMsgNvMemoryOutOfRange),
                      usersetup::kMaxNvTotalKb);
        if (nvFromFile) return Refuse(true, fromPath, text);
        base::ShowMessage(text);
        return kExitUsage;
    }
    if (const std::string why = usersetup::ColumnsConflict(names, named); !why.empty())
        return UsageError(why);

    if (const int code = LockTarget(options->connection, parsed); code >= 0) return code;
    base::CErrorLog& log = base::ErrorLog();
    usersetup::SetupSession session(options->connection, log, DeviceRootsFromEnvironment());
    const bool file =
        session.Kind() == port::PortKind::File || session.Kind() == port::PortKind::OutputFile;
    if (dryRun && file) return UsageError("--dry-run needs a printer that answers, not a file");
    // Read also for --defaults: only what differs is written, and a printer
    // that holds every wanted value already is sent nothing.
    const bool readFirst = (!noRead && !file) || dryRun;
    if (!readFirst && !readOnly.empty())
        return UsageError(readOnly[0].name + " cannot be changed");
    if (!readFirst && !asPrinter.empty()) return UsageError(asPrinter[0].why);
    if (!readFirst && !defaults)
        if (const std::string why = usersetup::MissingCompanion(names, named); !why.empty())
            return UsageError(why);
    StopScope stop(StopMode::AtOnce, "interrupted before anything was written; the printer is unchanged");
    if (!session.Connect()) return SetSessionReason(session, options->connection, false), kExitPrinter;
    usersetup::UserSettings settings;
    if (readFirst) {
        std::vector<int> missing;
        if (!session.Read(settings, lists, options->timeoutMs, missing)) {
            SetSessionReason(session, options->connection, true);
            Error("the printer did not answer every setting; nothing written (--no-read writes the "
                  "named settings alone)");
            return kExitPrinter;
        }
    }
    for (const Change& change : readOnly)
        if (DescribedValue(settings, lists, change.name) != change.value)
            return UsageError(change.name + " cannot be changed (the printer has " + change.name +
                              "=" + DescribedValue(settings, lists, change.name) + ")");
    for (const AsPrinter& value : asPrinter)
        if (DescribedValue(settings, lists, value.change.name) != value.change.value)
            return UsageError(value.why);
    for (const Change& change : fileReadOnly)
        if (DescribedValue(settings, lists, change.name) != change.value)
            Note("warning: " + fromPath + ": " + change.name + "=" + change.value +
                 " cannot be written; the printer keeps " + change.name + "=" +
                 DescribedValue(settings, lists, change.name));
    const std::string stopBitsBefore = readFirst ? DescribedValue(settings, lists, "stop-bits") : "";
    const usersetup::UserSettings held = settings;
    if (defaults) usersetup::ApplyDefaults(settings, lists);
    for (const Change& change : changes)
        usersetup::ApplySettingText(settings, lists, change.name, change.value);
    usersetup::FillCompanions(settings);
    if (const std::string why = usersetup::ColumnsConflict(names, settings); !why.empty())
        return UsageError(why);
    if (!usersetup::NvMemoryTotalFits(settings)) {
        char text[256];
        std::snprintf(text, sizeof text, base::Message(base::kMsgNvMemoryOutOfRange),
                      usersetup::kMaxNvTotalKb);
        SetReason(base::Reason::TooLarge);
        base::ShowMessage(text);
        return kExitUsage;
    }
    if (const std::string why = usersetup::UnwritableSetting(settings); !why.empty()) {
        const char* name = settings.unknown.count(usersetup::kLeftMargin) ? "margin" : "setup-code";
        Error(why + "; nothing written (name " + name + "=... to write it)");
        return kExitPrinter;
    }
    // A setting the printer cannot report goes out only when named: a value
    // from the defaults or the read would be a guess.
    const std::vector<std::string> writeOnly =
        file ? std::vector<std::string>{} : usersetup::WriteOnlySettings(usersetup::RequestsFor(session.Kind()));
    const QJsonArray writeOnlyJson = file ? QJsonArray() : WriteOnlyJson(session.Kind());
    for (const std::string& name : writeOnly)
        if (!names.count(name)) usersetup::ForgetWriteOnlySetting(settings, name);
    const std::vector<std::string> writeOnlyNamed = NamedWriteOnly(writeOnly, names);
    usersetup::PrepareForWrite(settings);
    const std::vector<SettingChange> diff = KnownChanges(held, settings, lists, writeOnly);
    if (dryRun) return PrintDryRun(diff, writeOnlyNamed, writeOnlyJson);
    if (readFirst && diff.empty() && writeOnlyNamed.empty()) {
        // The printer's own answers show every wanted value: nothing to send.
        Note("the printer holds these settings already; nothing was written");
        PrintSettingLines(held, lists);
        JsonReport(Outcome::Done)
            .Set("changed", false)
            .Set("confirmed", true)
            .Set("changes", QJsonObject())
            .Set("settings", SettingsJson(held, lists))
            .Set("write_only", writeOnlyJson)
            .Print();
        return kExitOk;
    }
    // The warning is for a stop-bit value that changes, not one written back as it was.
    const std::string stopBitsAfter = DescribedValue(settings, lists, "stop-bits");
    if (settings.stopBits != usersetup::kEmpty && stopBitsAfter != stopBitsBefore)
        base::ShowMessage(base::Message(base::kMsgStopBitWarning));
    stop.Change(StopMode::Unstoppable, "the settings are being written; they cannot be stopped");
    SetCancelKeys({{"changed", true}, {"changes", ChangesJson(diff)}});
    JsonReport report(kExitPrinter);
    report.Set("changed", true).Set("changes", ChangesJson(diff)).Set("write_only", writeOnlyJson);
    if (!session.Write(settings, lists)) {
        SetSessionReason(session, options->connection, true);
        report.Print();
        return kExitPrinter;
    }
    const bool verify = !file && !parsed.Has("no-verify");
    if (verify) {
        // The write is confirmed by the printer's own answers, read again.
        stop.Change(StopMode::AtOnce,
                    "interrupted while reading the settings back; they were written, not checked");
        std::vector<usersetup::ReadBackDifference> differences;
        if (!session.ReadBack(lists, options->timeoutMs, differences)) {
            SetSessionReason(session, options->connection, true);
            Error("the settings were written, but reading them back failed");
            report.Print();
            return kExitPrinter;
        }
        if (!differences.empty()) {
            std::string text = usersetup::DescribeDifferences(differences);
            text.pop_back();
            SetReason(base::Reason::NotKept, Subject::Printer);
            Error("the printer does not hold what was written:\n" + text);
            report.Set("verified", false).Set("confirmed", false).Set("not_kept", NotKeptJson(differences));
            report.Print();
            return kExitPrinter;
        }
    }
    PrintSettingLines(settings, lists);
    JsonReport(Outcome::Done)
        .Set("changed", true)
        .Set("changes", ChangesJson(diff))
        .Set("verified", verify)
        .Set("confirmed", verify ? QJsonValue(true) : QJsonValue())
        .Set("settings", SettingsJson(settings, lists))
        .Set("write_only", writeOnlyJson)
        .Print();
    return kExitOk;
}

const CommandRegistration kWrite{{
    {"setup", "write"},
    "change the printer's user settings",
    "--port P [connection options] [--defaults] [--no-read]\n"
    "                         [--from FILE] [--timeout MS] [--dry-run] NAME=VALUE...",
    "Reads the printer's user settings, changes the named ones and writes them back,\n"
    "then prints the settings written. What 'korva setup read' prints is taken back\n"
    "unchanged: korva setup write -p P $(korva setup read -p P)\n"
    "Settings that go together (paper-type and density, bell and bell-times,\n"
    "nv-user and nv-graphic, paper-width=58 and columns) are taken from the\n"
    "printer's answers when only one is named, and must both be named with\n"
    "--no-read. paper-width=58 alone keeps the printer's columns, else 32;\n"
    "columns=30|32 is for 58 mm paper and is refused with 80 mm paper.\n"
    "Settings not named are written back as the printer answered them; one it\n"
    "answered with no value it takes is left out, and an unreadable margin or\n"
    "setup code refuses the write until it is named. When the printer holds\n"
    "every wanted value already nothing is sent (JSON changed:false); else the\n"
    "settings are written, read back and compared (--no-verify skips this), and\n"
    "a value the printer did not keep fails with reason not-kept. A setting the\n"
    "printer cannot report over this link (stop-bits over Ethernet or parallel)\n"
    "is written only when named, and never counted as a change.",
    SetupOptionSpecs({
        {"defaults", 0, "",
         "start from the factory settings instead of the\n"
         "printer's"},
        {"no-read", 0, "",
         "do not read first: only the named settings (and\n"
         "margin 0, setup code 0 unless named) are sent"},
        {"from", 0, "FILE",
         "the settings of another printer, as 'korva setup read'\n"
         "printed them, as NAME=VALUE lines or with --json\n"
         "(- for standard input); NAME=VALUE words given as\n"
         "well take precedence"},
        {"dry-run", 0, "",
         "read the printer and print what would change\n"
         "(NAME: HELD -> NEW); nothing is written"},
        {"skip-unknown", 0, "",
         "leave out settings given as 'unknown' (what 'setup\n"
         "read' prints for an answer it could not read)\n"
         "instead of refusing them"},
        {"no-verify", 0, "",
         "do not read the settings back after writing them\n"
         "(by default every setting written is compared)"},
    }),
    RunWrite,
    std::string("Settings:\n") + usersetup::SettingNamesHelp(),
}};

}  // namespace
}  // namespace korva::cli

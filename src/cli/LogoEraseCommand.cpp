// korva logo erase: clears every logo stored in the printer's NV graphics
// memory (an NV definition of one empty image).
#include <cstdio>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/LogoCommandSupport.h"
#include "logo/NvUpload.h"

namespace korva::cli {
namespace {

constexpr const char* kUsage =
    "usage: korva logo erase (--port P [connection options] | --to-file OUT.prn)\n"
    "Erases every logo stored in the printer's NV graphics memory.\n\n"
    "  --to-file OUT.prn    write the byte stream to a file instead of a printer\n"
    "  --json               print the result as one JSON object on stdout\n";

int usageError(const std::string& why) {
    std::fprintf(stderr, "korva logo erase: %s\n%s", why.c_str(), kUsage);
    return kExitUsage;
}

int runErase(const std::vector<std::string>& args) {
    const port::ConnectionArgs conn = ParseConnectionOptions(args, false);
    if (!conn.error.empty()) return usageError(conn.error);
    std::string outputFile;
    bool json = false;
    for (size_t i = 0; i < conn.rest.size(); ++i) {
        std::string value;
        bool missing = false;
        if (conn.rest[i] == "--help" || conn.rest[i] == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs(kConnectionOptionsHelp, stdout);
            return kExitOk;
        }
        if (conn.rest[i] == "--json") {
            json = true;
            continue;
        }
        if (!TakeValue(conn.rest, i, "--to-file", value, missing))
            return usageError("unexpected argument " + conn.rest[i]);
        if (missing || value.empty()) return usageError("--to-file takes a file name");
        outputFile = value;
    }
    if (conn.portGiven == !outputFile.empty()) return usageError("give either --port or --to-file");

    base::CErrorLog log;
    StderrMessages messages;
    InterruptWatch interrupt;
    LogoConnection connection(conn.settings, outputFile, log);
    logo::NvUploadSettings settings;
    settings.askConfirmation = false;
    base::Clock& clock = connection.Clock();
    logo::NvUpload erase(connection.Stream(), clock, log, {}, {}, settings);
    RunWithProgress(erase, clock, interrupt, [] { return std::string(); });
    const bool erased = erase.GetOutcome() == logo::NvUpload::Outcome::Erased;
    if (json) std::printf("{\"outcome\":\"%s\"}\n", erased ? "erased" : "failed");
    if (!erased) return kExitPrinter;
    std::fprintf(stderr, "korva: the printer's NV logos are erased\n");
    return kExitOk;
}

const CommandRegistration kErase{{
    {"logo", "erase"},
    "erase every NV logo stored in the printer",
    runErase,
}};

}  // namespace
}  // namespace korva::cli

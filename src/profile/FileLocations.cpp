#include "profile/FileLocations.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace korva::profile {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLogName = "error.log";

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The XDG rule: a relative or empty value is ignored.
fs::path XdgBase(const std::string& value, const std::string& home, const char* fallback) {
    if (!value.empty() && value.front() == '/') return value;
    return fs::path(home) / fallback;
}

}  // namespace

LocationInputs CurrentLocationInputs() {
    LocationInputs inputs;
    std::error_code error;
    const fs::path cwd = fs::current_path(error);
    if (!error) inputs.workingDir = cwd.string();
    inputs.home = Env("HOME");
    if (inputs.home.empty()) {
        if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) inputs.home = entry->pw_dir;
    }
    inputs.xdgConfigHome = Env("XDG_CONFIG_HOME");
    inputs.xdgStateHome = Env("XDG_STATE_HOME");
    return inputs;
}

FileLocations ResolveFileLocations(const LocationInputs& inputs, std::string_view programName) {
    const std::string profileName = std::string(programName) + ".INI";
    std::string folderName(programName);
    for (char& c : folderName) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const fs::path cwd = inputs.workingDir;
    struct stat seen {};
    // Whatever the file is: a FIFO or a link there is refused when it is opened,
    // never silently replaced by a profile elsewhere.
    const bool portable = !inputs.workingDir.empty() &&
                          ::lstat((cwd / profileName).c_str(), &seen) == 0;
    if (portable || inputs.home.empty())
        return {(cwd / profileName).string(), (cwd / kLogName).string(), true};
    return {(XdgBase(inputs.xdgConfigHome, inputs.home, ".config") / folderName / profileName).string(),
            (XdgBase(inputs.xdgStateHome, inputs.home, ".local/state") / folderName / kLogName).string(),
            false};
}

FileLocations ProgramFileLocations(std::string_view programName) {
    return ResolveFileLocations(CurrentLocationInputs(), programName);
}

bool MakeFolderFor(const std::string& filePath) {
    const fs::path folder = fs::path(filePath).parent_path();
    fs::path made;
    // Folders the program makes are private to the user (0700, as XDG asks).
    for (const fs::path& part : folder) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    std::error_code error;
    return folder.empty() || fs::is_directory(folder, error);
}

}  // namespace korva::profile

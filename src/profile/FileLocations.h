#pragma once
#include <string>
#include <string_view>

namespace korva::profile {

/// What decides where the profile and the error log live.
struct LocationInputs {
    std::string workingDir;     ///< "" when it cannot be read
    std::string home;           ///< $HOME, or the password entry's home
    std::string xdgConfigHome;  ///< $XDG_CONFIG_HOME as set ("" when unset)
    std::string xdgStateHome;   ///< $XDG_STATE_HOME as set
};

/// Where the profile and the error log live.
struct FileLocations {
    std::string profilePath;
    std::string logPath;
    bool portable = false;  ///< both in the working directory
};

/// The inputs of this process: working directory and environment.
LocationInputs CurrentLocationInputs();

/// For the program "KorvaTool": portable mode when "KorvaTool.INI" exists in
/// the working directory (a profile copied from Windows, the demo): the
/// profile there, "error.log" beside it. Otherwise
/// $XDG_CONFIG_HOME/korvatool/KorvaTool.INI and
/// $XDG_STATE_HOME/korvatool/error.log, with the usual defaults (~/.config,
/// ~/.local/state) when a variable is unset or not absolute.
FileLocations ResolveFileLocations(const LocationInputs& inputs, std::string_view programName = "KorvaTool");

/// The same for this process.
FileLocations ProgramFileLocations(std::string_view programName = "KorvaTool");

/// Makes the folder that will hold `filePath` (and its parents, private to
/// the user) unless it exists; false when it cannot be made.
bool MakeFolderFor(const std::string& filePath);

}  // namespace korva::profile

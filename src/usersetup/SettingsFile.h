#pragma once
// The settings of another printer as a file gives them to `setup write
// --from`: either form `setup read` prints, NAME=VALUE lines (blank lines and
// # comments skipped) or its JSON ({"settings": {NAME: VALUE, ...}}, with or
// without the rest). Names and values are taken as text; the caller applies
// them.
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace korva::usersetup {

struct SettingsFileResult {
    std::vector<std::pair<std::string, std::string>> changes;  ///< in the file's order
    std::string error;  ///< why the file was refused; "" when it was read
};

SettingsFileResult ReadSettingsFile(std::span<const uint8_t> bytes);

}  // namespace korva::usersetup

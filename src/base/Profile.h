#pragma once
#include <string>

namespace korva::base {

/// The application profile as the tools see it: sections of text keys and
/// values, matched without regard to case, values kept verbatim. The program
/// stores it in "KorvaTool.INI" where FileLocations.h says; tests hand in an
/// in-memory or temporary one.
class Profile {
public:
    virtual ~Profile() = default;

    /// The value, or `fallback` when the section or key does not exist.
    virtual std::string GetString(const std::string& section, const std::string& key,
                                  const std::string& fallback = "") const = 0;
    /// Sets a value; the store is saved before this returns (atomically).
    /// Returns false when it could not be saved.
    virtual bool WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    /// Removes one key; false when it could not be saved.
    virtual bool DeleteKey(const std::string& section, const std::string& key) = 0;
};

}  // namespace korva::base

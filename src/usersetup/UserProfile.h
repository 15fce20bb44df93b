#pragma once
// The profile section "USER": the receive-buffer list ("R_BUF_SZ0", ...) and
// the code-page list ("CodePage0", ...), written with their defaults the
// first time.
#include "base/Profile.h"
#include "usersetup/SetupLists.h"

namespace korva::usersetup {

inline constexpr const char* kUserSection = "USER";

/// Reads both lists, each key in order until the first empty value. A list
/// whose first key is empty gets its defaults, which are also written back.
SetupLists LoadSetupLists(base::Profile& profile);

}  // namespace korva::usersetup

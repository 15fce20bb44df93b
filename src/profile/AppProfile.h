#pragma once
#include "base/Profile.h"

namespace korva::profile {

/// The profile every tool reads and writes ("DEVICELIST", "LOGO", "FWDN15",
/// "FWDN20", "USER"). The program installs its INI file at start-up; until
/// something is installed an in-memory profile stands in, so a test or a
/// tool used on its own never writes into the working directory.
base::Profile& AppProfile();

/// Installs the profile (not owned; it must outlive its use). nullptr
/// restores the in-memory stand-in. Returns the previous one.
base::Profile* SetAppProfile(base::Profile* profile);

}  // namespace korva::profile

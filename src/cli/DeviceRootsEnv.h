#pragma once
// Where `korva` looks for the system's device tables. KORVA_SYSFS_ROOT and
// KORVA_DEV_ROOT move /sys and /dev elsewhere, so a test can run the real
// program on a fake tree of ports and USB printers.
#include "port/Discovery.h"

namespace korva::cli {

/// /sys and /dev, or the roots named by KORVA_SYSFS_ROOT / KORVA_DEV_ROOT.
port::DeviceRoots DeviceRootsFromEnvironment();

}  // namespace korva::cli

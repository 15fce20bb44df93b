#pragma once
#include "port/Ports.h"

namespace korva::profile {

/// The program's one port object (`g_Ports`): the connection settings the
/// connection dialog stores, the current tool mark and the port the tools
/// open and close. Built on first use with the program's error log.
port::CPorts& Ports();

}  // namespace korva::profile

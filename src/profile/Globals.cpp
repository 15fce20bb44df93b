#include "profile/Globals.h"

#include "base/ErrorLog.h"

namespace korva::profile {

port::CPorts& Ports() {
    // The log is built first, so it is destroyed after the port, which logs on close.
    static base::CErrorLog& log = base::ErrorLog();
    static port::CPorts ports(log);
    return ports;
}

}  // namespace korva::profile

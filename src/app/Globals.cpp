#include "app/Globals.h"

#include "app/ErrorLog.h"

namespace korva::app {

port::CPorts& Ports() {
    // The log is built first, so it is destroyed after the port, which logs on close.
    static CErrorLog& log = ErrorLog();
    static port::CPorts ports(log);
    return ports;
}

}  // namespace korva::app

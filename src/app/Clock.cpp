#include "app/Clock.h"

namespace korva::app {

Clock& DefaultClock() {
    static RealClock clock;
    return clock;
}

}  // namespace korva::app

#include "base/Clock.h"

namespace korva::base {

Clock& DefaultClock() {
    static RealClock clock;
    return clock;
}

}  // namespace korva::base

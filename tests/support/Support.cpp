#include "support/TestDir.h"

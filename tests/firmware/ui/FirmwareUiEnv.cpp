// One QApplication for the whole test program, made before any test runs:
// the engine and command tests would otherwise make a QCoreApplication, on
// which no dialog can be built.
#include <gtest/gtest.h>

#include "logo/ui/UiTestEnv.h"

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { korva::test::TestApp(); }
};

[[maybe_unused]] const ::testing::Environment* const kQtApp =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace

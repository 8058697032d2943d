// Points the USB roots at empty directories and every serial and parallel port name at a
// path that does not exist before any test runs, so that nothing here can reach the
// machine's own devices. (The environment in the shared test support library is left out
// by the linker, as nothing refers to its object file.)
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "support/temp_dir.h"

namespace {

class SafeGuiEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    for (int n = 1; n <= 20; ++n) {
      setenv(("QLX_COM" + std::to_string(n)).c_str(), root_.Join("no-such-port").c_str(), 1);
    }
    for (int n = 1; n <= 3; ++n) {
      setenv(("QLX_LPT" + std::to_string(n)).c_str(), root_.Join("no-such-port").c_str(), 1);
    }
    setenv("QLX_SYSFS_ROOT", root_.path().c_str(), 1);
    setenv("QLX_DEV_ROOT", root_.path().c_str(), 1);
  }

 private:
  testsupport::TempDir root_;
};

const ::testing::Environment* const kSafeGuiEnvironment =
    ::testing::AddGlobalTestEnvironment(new SafeGuiEnvironment);

}  // namespace

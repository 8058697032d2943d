// Points every port name at a path that does not exist, the USB roots at an empty
// directory and the spooler at a scheduler that is not there before any test of any test program
// runs, so that no test reaches a real port of the machine by accident (on the build machines the
// first serial port is the console). A test that wants a port sets its own variable.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "support/temp_dir.h"

namespace {

class SafePortEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    for (int n = 1; n <= 20; ++n) {
      const std::string value = root_.Join("no-such-port-com" + std::to_string(n));
      setenv(("QLX_COM" + std::to_string(n)).c_str(), value.c_str(), 1);
    }
    for (int n = 1; n <= 3; ++n) {
      const std::string value = root_.Join("no-such-port-lpt" + std::to_string(n));
      setenv(("QLX_LPT" + std::to_string(n)).c_str(), value.c_str(), 1);
    }
    setenv("QLX_SYSFS_ROOT", root_.path().c_str(), 1);
    setenv("QLX_DEV_ROOT", root_.path().c_str(), 1);
    // Every start resumes queues of ended runs: only a test's own scheduler is ever asked.
    setenv("CUPS_SERVER", root_.Join("no-cups.sock").c_str(), 1);
  }

 private:
  testsupport::TempDir root_;
};

const ::testing::Environment* const kSafePortEnvironment =
    ::testing::AddGlobalTestEnvironment(new SafePortEnvironment);

}  // namespace

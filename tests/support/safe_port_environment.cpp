// Points every port name at a path that does not exist, the USB roots at an empty
// directory and the spooler at a scheduler that is not there before any test of any test program
// runs, so that no test reaches a real port of the machine by accident (on the build machines the
// first serial port is the console). A test that wants a port sets its own variable.
#include <gtest/gtest.h>

#include <string>

#include "support/environment.h"
#include "support/temp_dir.h"

namespace {

class SafePortEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    for (int n = 1; n <= 255; ++n) {
      const std::string value = root_.Join("no-such-port-com" + std::to_string(n));
      testsupport::SetEnvironment(("QLX_COM" + std::to_string(n)), value);
    }
    for (int n = 1; n <= 3; ++n) {
      const std::string value = root_.Join("no-such-port-lpt" + std::to_string(n));
      testsupport::SetEnvironment(("QLX_LPT" + std::to_string(n)), value);
    }
    testsupport::SetEnvironment("QLX_SYSFS_ROOT", root_.path());
    testsupport::SetEnvironment("QLX_DEV_ROOT", root_.path());
    // Every start resumes queues of ended runs: only a test's own scheduler is ever asked.
    testsupport::SetEnvironment("CUPS_SERVER", root_.Join("no-cups.sock"));
  }

 private:
  testsupport::TempDir root_;
};

const ::testing::Environment* const kSafePortEnvironment =
    ::testing::AddGlobalTestEnvironment(new SafePortEnvironment);

}  // namespace

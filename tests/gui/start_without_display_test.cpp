#include <gtest/gtest.h>

#include "support/process_runner.h"
#include "support/temp_dir.h"

namespace {

// An interactive start that cannot show its window says so and ends with code 3 at once,
// whether no display is named or the one named cannot be reached.
TEST(StartWithoutDisplay, SaysSoAndEndsWithThree) {
  testsupport::TempDir work;
  const std::pair<const char*, std::map<std::string, std::string>> cases[] = {
      {"no display", {}},
      {"unreachable display", {{"DISPLAY", "127.0.0.1:97"}}},
  };
  for (const auto& [name, env] : cases) {
    SCOPED_TRACE(name);
    testsupport::ProcessOptions options;
    options.workingDir = work.path();
    options.unset = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    options.env = env;
    options.timeLimit = std::chrono::milliseconds(15000);
    const auto result = testsupport::RunProcess(VRTQLX_BINARY, {}, options);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_NE(result.err.find("no operator window"), std::string::npos) << result.err;
  }
}

}  // namespace

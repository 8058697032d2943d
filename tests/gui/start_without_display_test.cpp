#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/child_process.h"
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

// A program without its window module (the GUI package not installed) names the module,
// the package and the loader's reason in one line, and ends like a start without a display.
TEST(StartWithoutDisplay, MissingWindowModuleIsNamedAndEndsWithThree) {
  testsupport::TempDir programDir;
  testsupport::TempDir work;
  const std::string program = programDir.Join("vrtqlx");
  testsupport::PlaceFile(VRTQLX_BINARY, program);
  testsupport::ProcessOptions options;
  options.workingDir = work.path();
  options.env = {{"QT_QPA_PLATFORM", "offscreen"}};
  const auto result = testsupport::RunProcess(program, {}, options);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 3);
  const std::string firstLine = result.err.substr(0, result.err.find('\n'));
  EXPECT_NE(firstLine.find("vrtqlx-qt.so of the package vrtqlx-gui"), std::string::npos)
      << result.err;
  EXPECT_NE(firstLine.find("/vrtqlx/vrtqlx-qt.so: cannot open shared object file"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("no operator window"), std::string::npos) << result.err;
}

bool MapsBoth(pid_t pid, const std::string& first, const std::string& second) {
  const std::string maps = testsupport::ReadFile("/proc/" + std::to_string(pid) + "/maps");
  return maps.find(first) != std::string::npos && maps.find(second) != std::string::npos;
}

// Installed as bin/vrtqlx with lib/<multiarch>/vrtqlx/vrtqlx-qt.so, the program finds its
// window module, loads Qt only through it, and keeps the operator's window open.
TEST(StartWithoutDisplay, InstalledProgramOpensItsWindowThroughTheModule) {
  testsupport::TempDir prefix;
  std::filesystem::create_directories(prefix.Join("bin"));
  std::filesystem::create_directories(prefix.Join(VRTQLX_MODULE_DIR));
  testsupport::PlaceFile(VRTQLX_BINARY, prefix.Join("bin/vrtqlx"));
  testsupport::PlaceFile(VRTQLX_QT_MODULE, prefix.Join(VRTQLX_MODULE_DIR "/vrtqlx-qt.so"));
  testsupport::ChildProcess program({prefix.Join("bin/vrtqlx")});
  ASSERT_TRUE(program.started());

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  bool loaded = false;
  while (!loaded && std::chrono::steady_clock::now() < deadline && !program.Wait(0)) {
    loaded = MapsBoth(program.pid(), VRTQLX_MODULE_DIR "/vrtqlx-qt.so", "libQt6Widgets");
    if (!loaded) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(loaded);
  EXPECT_FALSE(program.Wait(0)) << "the program ended instead of showing its window";
  program.Signal(SIGTERM);
  EXPECT_TRUE(program.Wait(10000));
}

}  // namespace

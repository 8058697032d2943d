#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"

// The port of a simulator's "127.0.0.1:PORT" ready line.
inline std::string PortOf(const std::string& address) {
  return address.substr(address.rfind(':') + 1);
}

// Runs a copy of build/vrtqlx from a scratch program directory (its log lives there) in a
// scratch working directory, against build/qlx-printer-sim.
class SilentRun : public ::testing::Test {
 protected:
  SilentRun() { testsupport::PlaceFile(VRTQLX_BINARY, program); }

  // Starts the simulator in `mode` with `extra` arguments; answers what its ready line names.
  std::string StartPrinter(const std::string& mode, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> argv{VRTQLX_SIM_BINARY, mode, "--out", received};
    argv.insert(argv.end(), extra.begin(), extra.end());
    printer = std::make_unique<testsupport::ChildProcess>(argv);
    auto line = printer->ReadLine(10000);
    EXPECT_TRUE(line && line->rfind("ready ", 0) == 0) << (line ? *line : "no ready line");
    return line ? line->substr(6) : std::string();
  }

  std::string Image(size_t size, const std::string& name = "TQR-23_V1.00_120826.fls") {
    std::mt19937 random(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (auto& b : bytes) b = static_cast<char>(random());
    testsupport::WriteFile(work.Join(name), bytes);
    return bytes;
  }

  enum class Stderr { kPipe, kTerminal };

  testsupport::ProcessResult Run(const std::vector<std::string>& args,
                                 std::map<std::string, std::string> env = {},
                                 Stderr stderrOn = Stderr::kPipe) {
    testsupport::ProcessOptions options;
    options.stderrOnTerminal = stderrOn == Stderr::kTerminal;
    options.workingDir = work.path();
    env.emplace("QLX_SYSFS_ROOT", state.Join("sys"));
    env.emplace("QLX_DEV_ROOT", state.Join("dev"));
    env.emplace("XDG_STATE_HOME", state.path());
    options.env = std::move(env);
    options.timeLimit = std::chrono::milliseconds(90000);
    if (launcher.empty()) return testsupport::RunProcess(program, args, options);
    std::vector<std::string> all(launcher.begin() + 1, launcher.end());
    all.push_back(program);
    all.insert(all.end(), args.begin(), args.end());
    return testsupport::RunProcess(launcher.front(), all, options);
  }

  // Runs the program in the background; `RunningPid` finds it.
  std::future<testsupport::ProcessResult> StartRun(const std::vector<std::string>& args,
                                                   std::map<std::string, std::string> env = {}) {
    return std::async(std::launch::async, [this, args, env] { return Run(args, env); });
  }

  // The process of this test's copy of the program, or -1 when it is not running.
  pid_t RunningPid() const { return testsupport::PidOfProgram(program); }

  // Waits up to `ms` for `ready`, looking every 10 ms.
  static bool WaitUntil(const std::function<bool()>& ready, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 10) {
      if (ready()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ready();
  }

  // What the simulator received, once it has ended.
  std::string Received() {
    if (printer) {
      printer->Wait(30000);
      printer.reset();
    }
    return testsupport::ReadFile(received);
  }

  std::string Log() const { return testsupport::ReadFile(programDir.Join("_VRT_QLX.txt")); }

  bool DriverFilesLeft() const {
    for (const char* name : {"com.dll", "lpt.dll", "usb.dll"}) {
      if (testsupport::FileExistsAt(work.Join(name))) return true;
    }
    return false;
  }

  // When set, the program runs under this command (and its arguments), as in a namespace.
  std::vector<std::string> launcher;
  testsupport::TempDir programDir;
  testsupport::TempDir work;
  testsupport::TempDir state;
  std::string program = programDir.Join("vrtqlx");
  std::string received = state.Join("received.bin");
  std::unique_ptr<testsupport::ChildProcess> printer;
};

// Whole-process wall time and peak resident memory of a silent start that ends in invalid
// parameters: the program is spawned from a scratch working directory, decodes its job,
// writes its log line beside itself and exits with code 1. Targets: a median of 4 ms or less
// over 20 runs, and 8 MiB resident or less (a silent run never loads the GUI module).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "checked_benchmark_main.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

class Scratch {
 public:
  Scratch() {
    char pattern[] = "/tmp/vrtqlx-bench-XXXXXX";
    root_ = ::mkdtemp(pattern);
    fs::create_directories(root_ / "program");
    fs::create_directories(root_ / "work");
    fs::create_directories(root_ / "ini-work");
    std::error_code error;
    fs::create_hard_link(VRTQLX_BINARY, program(), error);
    if (error) fs::copy_file(VRTQLX_BINARY, program());
    std::ofstream(root_ / "ini-work" / "vrtqlx.ini") << "[QLX]\nPORTTYPE=LPX1\n";
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  std::string program() const { return (root_ / "program" / "vrtqlx").string(); }
  std::string dir(const char* name) const { return (root_ / name).string(); }

 private:
  fs::path root_;
};

struct RunOutcome {
  int exitCode = -1;
  double peakResidentMiB = 0;
};

RunOutcome RunOnce(const std::string& program, const std::string& workDir,
                   std::vector<std::string> args) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  args.insert(args.begin(), program);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return {};
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss / 1024.0};
}

// Each run's figures: the time per run, and the highest peak resident size seen.
void RunInvalid(benchmark::State& state, const std::string& program, const std::string& workDir,
                const std::vector<std::string>& args) {
  double peak = 0;
  for (auto _ : state) {
    const RunOutcome outcome = RunOnce(program, workDir, args);
    if (outcome.exitCode != 1) {
      state.SkipWithError("the program did not answer invalid parameters");
      break;
    }
    peak = std::max(peak, outcome.peakResidentMiB);
  }
  state.counters["peak_rss_MiB"] = peak;
}

void BM_InvalidCommandLineProcess(benchmark::State& state) {
  Scratch scratch;
  setenv("XDG_STATE_HOME", scratch.dir("work").c_str(), 1);
  RunInvalid(state, scratch.program(), scratch.dir("work"), {"-s", "-p", "LPX1"});
}
BENCHMARK(BM_InvalidCommandLineProcess)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true);

void BM_InvalidSettingsFileProcess(benchmark::State& state) {
  Scratch scratch;
  setenv("XDG_STATE_HOME", scratch.dir("work").c_str(), 1);
  RunInvalid(state, scratch.program(), scratch.dir("ini-work"), {});
}
BENCHMARK(BM_InvalidSettingsFileProcess)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  return RunCheckedBenchmarks(argc, argv);
}

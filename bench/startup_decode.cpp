// In-process cost of decoding a silent job: the command line, the settings file, and the
// search for the newest firmware file of a model in a crowded working directory.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/firmware_app.h"
#include "checked_benchmark_main.h"
#include "platform/file_handle.h"

namespace {

namespace fs = std::filesystem;

class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/vrtqlx-bench-XXXXXX";
    path_ = ::mkdtemp(pattern);
  }
  ~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string path() const { return path_.string(); }
  void Write(const std::string& name, const std::string& content) const {
    std::ofstream(path_ / name) << content;
  }

 private:
  fs::path path_;
};

void BM_ParseCommandLine(benchmark::State& state) {
  ScratchDir dir;
  const std::vector<std::string> args{"vrtqlx",
                                      "-s",
                                      "-p",
                                      "NET",
                                      "192.168.0.7",
                                      "-tcpport",
                                      "2000",
                                      "-m",
                                      "TQR-03",
                                      "-f",
                                      "TQR-03_V2.01_051710.fls"};
  for (auto _ : state) {
    CFirmwareApp app;
    app.workDir = dir.path();
    app.SetCommandLine(args);
    if (app.ParseCommandLine() != 1) state.SkipWithError("the command line was not taken");
  }
}
BENCHMARK(BM_ParseCommandLine);

void BM_LoadSettingsFile(benchmark::State& state) {
  ScratchDir dir;
  dir.Write("vrtqlx.ini",
            "; unattended download\r\n[QLX]\r\nPORTTYPE=COM3\r\nBAUDRATE=115200\r\n"
            "MODELNAME=TQR-03\r\nFWNAME=TQR-03_V2.01_051710.fls\r\n");
  const std::string path = dir.path() + "/vrtqlx.ini";
  for (auto _ : state) {
    CFirmwareApp app;
    app.workDir = dir.path();
    auto file = platform::File::OpenReadOnly(path);
    if (app.LoadSettingsFile(path, file) != 1) {
      state.SkipWithError("the settings file was not taken");
    }
  }
}
BENCHMARK(BM_LoadSettingsFile);

void BM_FindFirmwareForModel(benchmark::State& state) {
  ScratchDir dir;
  for (int i = 0; i < state.range(0); ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "TQR-03_%05d_%02d%02d%02d.fls", i, 1 + i % 12, 1 + i % 28,
                  i % 20);
    dir.Write(name, "");
  }
  for (auto _ : state) {
    CFirmwareApp app;
    app.workDir = dir.path();
    app.modelName = "TQR-03";
    if (!app.FindFirmwareForModel()) state.SkipWithError("no firmware file found");
  }
}
BENCHMARK(BM_FindFirmwareForModel)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return RunCheckedBenchmarks(argc, argv);
}

// Converting an Intel HEX file that fills the whole 262,144-byte image area, from reading
// the text to writing the temporary image (target: 20 ms or less).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "checked_benchmark_main.h"
#include "download/download_dlg.h"
#include "download/hex_image.h"
#include "support/fake_printer.h"

namespace {

std::string FullAreaHex() {
  std::string text;
  char line[80];
  for (int segment = 0; segment < 4; ++segment) {
    std::snprintf(line, sizeof line, ":02000002%04X00\r\n", segment * 0x1000);
    text += line;
    for (int address = 0; address < 0x10000; address += 0x20) {
      std::snprintf(line, sizeof line, ":20%04X00", address);
      text += line;
      for (int i = 0; i < 0x20; ++i) {
        std::snprintf(line, sizeof line, "%02X", (address + i + segment) & 0xFF);
        text += line;
      }
      text += "00\r\n";
    }
  }
  return text + ":00000001FF\r\n";
}

void BM_BuildHexImage(benchmark::State& state) {
  const std::string text = FullAreaHex();
  std::vector<uint8_t> area;
  for (auto _ : state) {
    if (!BuildHexImage(text, area)) state.SkipWithError("conversion failed");
    benchmark::DoNotOptimize(area.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_BuildHexImage)->Unit(benchmark::kMillisecond);

void BM_ConvertHexToFls(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / "vrtqlx-bench-hex";
  std::filesystem::create_directories(dir);
  const std::string input = (dir / "full.hex").string();
  std::ofstream(input, std::ios::binary) << FullAreaHex();
  CDownloadDlg dlg(FakePortBackends(std::make_shared<FakePrinter>()));
  for (auto _ : state) {
    if (!dlg.ConvertHexToFls(input)) state.SkipWithError("conversion failed");
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ConvertHexToFls)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return RunCheckedBenchmarks(argc, argv);
}

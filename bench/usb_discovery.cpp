// USB printer discovery over a fake sysfs tree of 64 devices (target: at most 5 ms for one
// pass): reading the present devices, their identifier files, and probing the usblp nodes.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/model_codes.h"
#include "checked_benchmark_main.h"
#include "platform/usb_devices.h"
#include "ui/port_config_dlg.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDevices = 64;

// 64 devices "3-00" … "3-63". Only the printers at `firstPrinter` and the one after it have a
// usblp node, so discovery reads every device up to the end of their batch.
class Tree {
 public:
  explicit Tree(int firstPrinter) {
    char pattern[] = "/tmp/vrtqlx-bench-usb-XXXXXX";
    root_ = ::mkdtemp(pattern);
    fs::create_directories(root_ / "dev/usb");
    for (int i = 0; i < kDevices; ++i) {
      char entry[8];
      std::snprintf(entry, sizeof entry, "3-%02d", i);
      const fs::path device = root_ / "sys/bus/usb/devices" / entry;
      fs::create_directories(device / (std::string(entry) + ":1.0"));
      const bool printer = i == firstPrinter || i == firstPrinter + 1;
      std::ofstream(device / "idVendor") << "7a3c\n";
      std::ofstream(device / "idProduct") << (printer ? "0105\n" : "0117\n");
      if (printer) {
        const std::string lp = "lp" + std::to_string(i);
        fs::create_directories(device / (std::string(entry) + ":1.0/usbmisc") / lp);
        std::ofstream(root_ / "dev/usb" / lp);
      }
    }
  }
  ~Tree() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  UsbDiscoveryBackends Backends() const {
    UsbDiscoveryBackends backends = UsbDiscoveryBackends::System();
    backends.devices = std::make_shared<platform::SysfsUsbDevices>((root_ / "sys").string(),
                                                                   (root_ / "dev").string());
    return backends;
  }

 private:
  fs::path root_;
};

// state.range(0): index of the first of two printers; 62 makes discovery walk all 64.
void BM_DiscoverUsbPrinters(benchmark::State& state) {
  Tree tree(static_cast<int>(state.range(0)));
  CPortConfigDlg finder(tree.Backends());
  finder.wantedModelCode = kModelTQR05;
  for (auto _ : state) {
    std::string path;
    finder.FindUsbPrinterPath("TQR-05", path);
    if (path.empty()) state.SkipWithError("no printer found");
    benchmark::DoNotOptimize(path);
  }
}
BENCHMARK(BM_DiscoverUsbPrinters)->Arg(0)->Arg(62)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return RunCheckedBenchmarks(argc, argv);
}

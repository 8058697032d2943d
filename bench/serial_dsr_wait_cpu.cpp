// CPU time a DTR/DSR-paced serial write costs while the printer holds DSR low for 5 s
// (target: at most 1 % of one core). The line is a stand-in on the real clock, so that
// only the writer's own waiting is measured.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_output.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// DSR is low for the first `busy`; bytes leave at once when handed over.
class BusyPrinterLine final : public platform::SerialOutput {
 public:
  explicit BusyPrinterLine(std::chrono::milliseconds busy) : until_(SteadyClock::now() + busy) {}
  platform::SysResult<size_t> WriteSome(const uint8_t*, size_t length) override {
    return platform::SysResult<size_t>::Ok(length);
  }
  platform::SysResult<size_t> QueuedBytes() override { return platform::SysResult<size_t>::Ok(0); }
  platform::SysResult<bool> DsrRaised() override {
    return platform::SysResult<bool>::Ok(SteadyClock::now() >= until_);
  }
  void WaitForRoom(int ms) override { Pause(ms); }
  void Pause(int ms) override { clock_.SleepMs(static_cast<uint32_t>(ms)); }
  uint64_t NowMs() override { return clock_.NowMs(); }
  void DiscardOutput() override {}
  void RestoreLine() override {}

 private:
  SteadyClock::time_point until_;
  platform::MonotonicClock clock_;
};

}  // namespace

int main() {
  std::vector<uint8_t> block(4096, 0x5A);
  BusyPrinterLine line(std::chrono::seconds(5));
  const double cpuBefore = ProcessCpuSeconds();
  const auto start = SteadyClock::now();
  auto written = platform::WriteDrained(line, block.data(), block.size(), -1, true);
  const double wall = std::chrono::duration<double>(SteadyClock::now() - start).count();
  const double cpu = ProcessCpuSeconds() - cpuBefore;
  std::printf(
      "DSR low for 5 s: %s after %.2f s, %.4f s CPU = %.3f %% of one core (target <= 1 %%)\n",
      written.status ? "sent" : "failed", wall, cpu, 100.0 * cpu / wall);
  return written.status ? 0 : 1;
}

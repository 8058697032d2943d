// CPU time an open, idle serial port costs over 10 s (its reader wakes every 10 ms);
// target: at most 1 % of one core.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "ports/serial_port.h"
#include "support/pty_pair.h"

namespace {

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
  const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 10;
  testsupport::PtyPair pty;
  if (!pty.ok()) {
    std::perror("pseudo-terminal");
    return 1;
  }
  setenv("QLX_COM1", (pty.SlavePath() + ",nomodem").c_str(), 1);
  CSerialPort port;
  PortSettings settings;
  settings.portName = "COM1";
  settings.baudRate = 115200;
  settings.dataBits = 8;
  settings.rxBufferSize = 8192;
  if (!port.Configure(settings) || !port.Open(0)) {
    std::fprintf(stderr, "cannot open the serial port over %s\n", pty.SlavePath().c_str());
    return 1;
  }
  const double cpuBefore = ProcessCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = ProcessCpuSeconds() - cpuBefore;
  port.Close();
  std::printf("idle open port: %.4f s CPU in %.1f s = %.3f %% of one core (target <= 1 %%)\n", cpu,
              wall, 100.0 * cpu / wall);
  return 0;
}

// CSerialPort::Write over a pseudo-terminal against a plain write() loop of the same data
// on the same pseudo-terminal; prints both rates and their ratio (target: at least 0.9).
// The other side compares every byte it reads with the image: a round whose bytes did not
// all arrive, in order, fails the benchmark.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ports/serial_port.h"
#include "support/pty_pair.h"

namespace {

constexpr size_t kImageBytes = 16u << 20;
constexpr size_t kBlockBytes = 4096;
constexpr int kRounds = 5;

bool bytesLost = false;

// Reads from the master side until the whole image came, comparing as it goes.
void Drain(int master, const std::vector<uint8_t>& image) {
  std::vector<uint8_t> chunk(1 << 16);
  size_t got = 0;
  while (got < image.size()) {
    pollfd entry{master, POLLIN, 0};
    if (poll(&entry, 1, 5000) <= 0) break;
    const ssize_t n = read(master, chunk.data(), chunk.size());
    if (n <= 0) continue;
    const auto length = std::min(static_cast<size_t>(n), image.size() - got);
    if (std::memcmp(chunk.data(), image.data() + got, length) != 0) break;
    got += static_cast<size_t>(n);
  }
  if (got != image.size()) {
    std::printf("the other side received %zu bytes of the %zu sent intact: FAILED\n", got,
                image.size());
    bytesLost = true;
  }
}

double PlainLoopSeconds(testsupport::PtyPair& pty, const std::vector<uint8_t>& image) {
  int fd = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
  termios mode{};  // raw, as the serial port sets its line
  tcgetattr(fd, &mode);
  cfmakeraw(&mode);
  tcsetattr(fd, TCSANOW, &mode);
  std::thread drain([&] { Drain(pty.MasterFd(), image); });
  const auto start = std::chrono::steady_clock::now();
  for (size_t offset = 0; offset < image.size(); offset += kBlockBytes) {
    size_t sent = 0;
    while (sent < kBlockBytes) {
      ssize_t n = write(fd, image.data() + offset + sent, kBlockBytes - sent);
      if (n > 0) sent += static_cast<size_t>(n);
    }
  }
  drain.join();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  close(fd);
  return seconds;
}

double SerialPortSeconds(const std::vector<uint8_t>& image) {
  testsupport::PtyPair pty;
  if (!pty.ok()) {
    std::perror("pseudo-terminal");
    std::exit(1);
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
    std::exit(1);
  }
  std::thread drain([&] { Drain(pty.MasterFd(), image); });
  const auto start = std::chrono::steady_clock::now();
  for (size_t offset = 0; offset < image.size(); offset += kBlockBytes) {
    port.Write(image.data() + offset, kBlockBytes);
  }
  drain.join();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  port.Close();
  return seconds;
}

double PlainSeconds(const std::vector<uint8_t>& image) {
  testsupport::PtyPair pty;
  if (!pty.ok()) {
    std::perror("pseudo-terminal");
    std::exit(1);
  }
  return PlainLoopSeconds(pty, image);
}

}  // namespace

int main() {
  std::vector<uint8_t> image(kImageBytes);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
  double bestPlain = 1e9;
  double bestPort = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    bestPlain = std::min(bestPlain, PlainSeconds(image));
    bestPort = std::min(bestPort, SerialPortSeconds(image));
  }
  const double mib = static_cast<double>(kImageBytes) / (1 << 20);
  std::printf("plain write() loop:  %.1f MiB/s\n", mib / bestPlain);
  std::printf("CSerialPort::Write:  %.1f MiB/s\n", mib / bestPort);
  std::printf("ratio port/plain:    %.3f (target >= 0.9)\n", bestPlain / bestPort);
  return bytesLost ? 1 : 0;
}

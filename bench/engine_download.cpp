// The download engine's speed and footprint:
//  1. a 16 MiB image over loopback TCP: the send phase, in pieces and up to the printer's
//     acknowledgement, against a plain send() loop of the same bytes into the same
//     simulator (target: ratio 0.9 or more), and the time from the last send to the
//     acknowledgement;
//  2. the port send phase against its ceiling of one 4096-byte block per 10 ms timer tick
//     (target: 0.9 of it or more);
//  3. peak memory of a whole silent 16 MiB download run as a process (target: image size
//     plus 8 MiB or less: a silent run maps no GUI library);
//  4. processor time while the progress bar settles (target: 1 % of one core or less).
// Every download's bytes are compared with what the simulator received: a figure of work
// that did not happen fails the benchmark.
#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/model_codes.h"
#include "download/download_dlg.h"
#include "framework/backend.h"
#include "framework/headless/headless_backend.h"
#include "platform/clock.h"
#include "platform/tcp_socket.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool workMissing = false;

// Whether `out` came to hold exactly `image` (the simulator may still be writing its tail).
void CheckArrived(const fs::path& out, const std::string& image, const char* what) {
  std::string got;
  for (int tries = 0; tries < 200; ++tries) {
    std::ifstream in(out, std::ios::binary);
    got.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (got.size() >= image.size()) break;
    usleep(10000);
  }
  if (got == image) return;
  std::printf("%s: the printer received %zu bytes, not the %zu of the image: FAILED\n", what,
              got.size(), image.size());
  workMissing = true;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The printer simulator as a child whose first output line names where it listens.
class Simulator {
 public:
  explicit Simulator(std::vector<std::string> args) {
    int out[2];
    if (pipe(out) != 0) std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    args.insert(args.begin(), VRTQLX_SIM_BINARY);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) std::abort();
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    output_ = fdopen(out[0], "r");
    address_ = Line().substr(6);
  }
  ~Simulator() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    fclose(output_);
  }
  std::string Line() {
    char line[512] = {};
    if (!fgets(line, sizeof line, output_)) return std::string();
    line[strcspn(line, "\n")] = '\0';
    return line;
  }
  int Port() const { return std::stoi(address_.substr(address_.rfind(':') + 1)); }
  const std::string& Path() const { return address_; }

 private:
  pid_t pid_ = -1;
  FILE* output_ = nullptr;
  std::string address_;
};

// A main window that times its engine's steps.
class TimedWindow : public CDownloadDlg {
 public:
  using CDownloadDlg::CDownloadDlg;
  Clock::time_point sendStart, sendEnd;
  double settleCpuStart = 0, settleCpuEnd = 0;
  Clock::time_point settleStart, settleEnd;
  Clock::time_point lastPortWrite;
  bool sending = false;
  void OnTimer(int id) override {
    if (id == kTimerPortSend) lastPortWrite = Clock::now();
    if ((id == kTimerPortSend || id == kTimerTcpSend) && !sending) {
      sending = true;
      sendStart = Clock::now();
    }
    if (id == kTimerSettle && settleCpuStart == 0) {
      if (!(sendEnd > sendStart)) sendEnd = lastPortWrite + std::chrono::milliseconds(10);
      settleStart = Clock::now();
      settleCpuStart = CpuSeconds();
    }
    if (id == kTimerNotice) {
      settleEnd = Clock::now();
      settleCpuEnd = CpuSeconds();
    }
    CDownloadDlg::OnTimer(id);
    if (id == kTimerTcpSend) sendEnd = Clock::now();
  }
};

std::string WriteImage(const fs::path& dir, size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 2654435761u >> 13);
  const fs::path file = dir / "image.fls";
  std::ofstream(file, std::ios::binary) << bytes;
  return file.string();
}

void TcpSendPhase(const fs::path& dir) {
  constexpr size_t kSize = 16u << 20;
  const std::string image = WriteImage(dir, kSize);
  const std::string bytes = ReadAll(image);

  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  double plain = 1e9, plainAcked = 1e9, engine = 1e9, ackWait = 1e9;
  for (int round = 0; round < 3; ++round) {
    {
      // The baseline: send() until the last byte is in the local buffer, nothing more.
      Simulator sim({"tcp", "--port", "0", "--out", (dir / "plain.bin").string()});
      const int fd = socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in peer{};
      peer.sin_family = AF_INET;
      peer.sin_port = htons(static_cast<uint16_t>(sim.Port()));
      peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer);
      const auto start = Clock::now();
      for (size_t sent = 0; sent < kSize;) {
        const ssize_t n = send(fd, bytes.data() + sent, kSize - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
      plain = std::min(plain, Seconds(Clock::now() - start));
      // The same loop, done when the printer's stack acknowledged every byte.
      shutdown(fd, SHUT_WR);
      for (int queued = 1; ioctl(fd, SIOCOUTQ, &queued) == 0 && queued > 0;) usleep(500);
      plainAcked = std::min(plainAcked, Seconds(Clock::now() - start));
      close(fd);
      sim.Line();
      CheckArrived(dir / "plain.bin", bytes, "tcp plain send() loop");
    }
    {
      // The connection as the engine uses it: pieces, then the wait for the acknowledgement.
      Simulator sim({"tcp", "--port", "0", "--out", (dir / "pieces.bin").string()});
      platform::TcpSocket socket;
      socket.Create();
      socket.Connect("127.0.0.1", static_cast<uint16_t>(sim.Port()), 5000);
      for (size_t sent = 0; sent < kSize; sent += 65536) socket.SendAll(data + sent, 65536, 30000);
      const auto lastSend = Clock::now();
      socket.WaitDelivered(30000);
      ackWait = std::min(ackWait, Seconds(Clock::now() - lastSend));
      socket.Close();
      sim.Line();
      CheckArrived(dir / "pieces.bin", bytes, "tcp pieces");
    }
    {
      Simulator sim({"tcp", "--port", "0", "--out", (dir / "engine.bin").string()});
      platform::VirtualClock clock;  // the settle phase costs no real time
      platform::ScopedClock scoped(clock);
      fw::HeadlessBackend backend(&clock);
      fw::ScopedBackend scopedBackend(backend);
      TimedWindow dlg;
      dlg.silent = 1;
      dlg.modelCode = kModelTQR23;
      dlg.port.portName = "127.0.0.1";
      dlg.port.baudRate = sim.Port();
      dlg.firmwarePath = image;
      dlg.DoModal();
      engine = std::min(engine, Seconds(dlg.sendEnd - dlg.sendStart));
      sim.Line();
      CheckArrived(dir / "engine.bin", bytes, "tcp engine");
    }
  }
  std::printf(
      "tcp 16 MiB: engine send in 64 KiB pieces up to the printer's acknowledgement %.1f ms "
      "(%.0f MiB/s); plain send() loop up to the acknowledgement %.1f ms, ratio %.3f "
      "(target >= 0.9); plain send() loop up to the local buffer only %.1f ms, ratio %.3f; "
      "last send to acknowledgement %.2f ms\n",
      engine * 1e3, 16 / engine, plainAcked * 1e3, plainAcked / engine, plain * 1e3, plain / engine,
      ackWait * 1e3);
}

void PortSendPhase(const fs::path& dir) {
  constexpr size_t kSize = 2u << 20;
  const std::string image = WriteImage(dir, kSize);
  Simulator sim({"node", "--path", (dir / "lp0").string(), "--out", (dir / "node.bin").string()});
  setenv("QLX_LPT1", sim.Path().c_str(), 1);
  fw::HeadlessBackend backend;  // the real clock: the ticks are what is measured
  fw::ScopedBackend scopedBackend(backend);
  TimedWindow dlg;
  dlg.silent = 1;
  dlg.modelCode = kModelTQR23;
  dlg.port.portName = "LPT1";
  dlg.firmwarePath = image;
  dlg.DoModal();
  CheckArrived(dir / "node.bin", ReadAll(image), "port");
  const double seconds = Seconds(dlg.sendEnd - dlg.sendStart);
  const double ceiling = 4096 / 0.010;
  std::printf(
      "port 2 MiB: send phase %.2f s, %.0f bytes/s, %.3f of the 4096 B / 10 ms ceiling "
      "(target >= 0.9)\n",
      seconds, kSize / seconds, kSize / seconds / ceiling);
  std::printf(
      "settle phase: %.4f s CPU over %.2f s, %.3f %% of one core (target <= 1 %%)\n",
      dlg.settleCpuEnd - dlg.settleCpuStart, Seconds(dlg.settleEnd - dlg.settleStart),
      100 * (dlg.settleCpuEnd - dlg.settleCpuStart) / Seconds(dlg.settleEnd - dlg.settleStart));
}

// Runs the program as a grandchild, through this benchmark started again as a small helper
// (`--peak-of`), and prints its peak. The kernel keeps, as a process's peak, the resident
// size of the address space it was spawned from, so the program spawned straight from this
// process, which holds images of its own by now, would report this process's peak instead.
int PeakOf(char** argv) {
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) return 1;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  std::printf(
      "silent 16 MiB download: exit %d, peak resident %.1f MiB = image + %.1f MiB "
      "(target <= image + 8 MiB)\n",
      WEXITSTATUS(status), usage.ru_maxrss / 1024.0, usage.ru_maxrss / 1024.0 - 16);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

void PeakMemory(const fs::path& dir) {
  constexpr size_t kSize = 16u << 20;
  const fs::path work = dir / "work";
  fs::create_directories(work);
  WriteImage(work, kSize);
  Simulator sim({"tcp", "--port", "0", "--out", (dir / "peak.bin").string()});
  std::vector<std::string> args{fs::read_symlink("/proc/self/exe").string(),
                                "--peak-of",
                                VRTQLX_BINARY,
                                "-s",
                                "-p",
                                "NET",
                                "127.0.0.1",
                                "-tcpport",
                                std::to_string(sim.Port()),
                                "-m",
                                "TQR-23",
                                "-f",
                                "image.fls"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const fs::path here = fs::current_path();
  fs::current_path(work);
  pid_t pid = -1;
  posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  fs::current_path(here);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::printf("silent 16 MiB download: the run failed: FAILED\n");
    workMissing = true;
  }
  CheckArrived(dir / "peak.bin", ReadAll((work / "image.fls").string()), "silent 16 MiB download");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "--peak-of") == 0) return PeakOf(argv + 2);
  char pattern[] = "/tmp/vrtqlx-bench-XXXXXX";
  const fs::path dir = mkdtemp(pattern);
  TcpSendPhase(dir);
  PortSendPhase(dir);
  PeakMemory(dir);
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return workMissing ? 1 : 0;
}

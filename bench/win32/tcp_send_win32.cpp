// Under wine64: the send phase of a 16 MiB TCP download (CPrinterSocket, as the engine sends)
// against a plain Winsock send() loop of the same bytes, each into a printer simulator
// listening on the ports given, in turns; the best of each kind counts. Prints both rates and
// their ratio (target: at least 0.9).
//   bench_tcp_send.exe <plain port> <download port> [<plain port> <download port>…]
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "download/printer_socket.h"
#include "platform/tcp_socket.h"

namespace {

constexpr size_t kImageBytes = 16u << 20;
using SteadyClock = std::chrono::steady_clock;

double PlainLoopSeconds(int port, const std::vector<uint8_t>& image) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<u_short>(port));
  inet_pton(AF_INET, "127.0.0.1", &peer.sin_addr);
  if (connect(s, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) return -1;
  const auto start = SteadyClock::now();
  size_t sent = 0;
  while (sent < image.size()) {
    const int n = send(s, reinterpret_cast<const char*>(image.data() + sent),
                       static_cast<int>(image.size() - sent), 0);
    if (n <= 0) return -1;
    sent += static_cast<size_t>(n);
  }
  const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
  closesocket(s);
  return seconds;
}

double DownloadSeconds(int port, const std::vector<uint8_t>& image) {
  CPrinterSocket socket;
  if (!socket.Create() || !socket.Connect("127.0.0.1", port)) return -1;
  const auto start = SteadyClock::now();
  if (socket.Send(image.data(), image.size()) < 0) return -1;
  const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
  socket.Close();
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc % 2 != 1 || platform::StartSockets()) {
    std::fprintf(stderr, "usage: bench_tcp_send.exe <plain port> <download port> [...]\n");
    return 2;
  }
  std::vector<uint8_t> image(kImageBytes);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
  double plain = 1e9;
  double download = 1e9;
  for (int arg = 1; arg + 1 < argc; arg += 2) {
    const double plainRound = PlainLoopSeconds(std::atoi(argv[arg]), image);
    const double downloadRound = DownloadSeconds(std::atoi(argv[arg + 1]), image);
    if (plainRound <= 0 || downloadRound <= 0) {
      std::fprintf(stderr, "a simulator could not be reached\n");
      return 1;
    }
    plain = std::min(plain, plainRound);
    download = std::min(download, downloadRound);
  }
  const double mib = static_cast<double>(kImageBytes) / (1 << 20);
  std::printf("plain Winsock send() loop: %.1f MiB/s\n", mib / plain);
  std::printf("download send phase:       %.1f MiB/s\n", mib / download);
  std::printf("ratio download/plain:      %.3f (target >= 0.9)\n", plain / download);
  return 0;
}

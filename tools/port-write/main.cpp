// qlx-port-write: sends a file through one of the program's serial ports, in the download's
// blocks and with the download's line defaults, but with the handshake chosen here. An
// unattended download always uses DTR/DSR; this is how XON/XOFF pacing is tried against a
// real driver.
//
//   qlx-port-write COMn BAUD dtr-dsr|xon-xoff FILE
//
// Exit status 0 when every byte was taken, 2 when the port did not open or a write failed
// (with the download's own message), 1 for bad arguments or an unreadable file.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ports/port_io.h"
#include "ports/port_open_failure.h"

namespace {

constexpr int kBlockBytes = 4096;

int Usage() {
  std::fputs("usage: qlx-port-write COMn BAUD dtr-dsr|xon-xoff FILE\n", stderr);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return Usage();
  const std::string portName = argv[1];
  const std::string baudText = argv[2];
  const std::string handshake = argv[3];
  int32_t baud = 0;
  auto [end, ec] = std::from_chars(baudText.data(), baudText.data() + baudText.size(), baud);
  if (ec != std::errc() || end != baudText.data() + baudText.size() || baud <= 0 ||
      PortKindForName(portName) != kPortKindSerial ||
      (handshake != "dtr-dsr" && handshake != "xon-xoff")) {
    return Usage();
  }
  std::ifstream file(argv[4], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "qlx-port-write: cannot read %s\n", argv[4]);
    return 1;
  }
  const std::vector<uint8_t> image{std::istreambuf_iterator<char>(file), {}};

  PortSettings settings;
  settings.portName = portName;
  settings.baudRate = baud;
  settings.dataBits = 8;
  settings.flowControl = handshake == "dtr-dsr" ? 0 : 1;
  settings.timeouts = {10, 10, 10, 0, 0};
  settings.rxBufferSize = 8192;
  CPortIO port;
  if (!port.Configure(settings) || !port.Open(1)) {
    std::fprintf(stderr, "Port Open Error. Port=%s (%s)\n", portName.c_str(),
                 DescribePortOpenFailure(port.LastOpenFailure()).c_str());
    return 2;
  }
  size_t sent = 0;
  while (sent < image.size()) {
    const int piece = static_cast<int>(std::min<size_t>(kBlockBytes, image.size() - sent));
    if (port.Write(image.data() + sent, piece) != piece) {
      port.Close();
      std::fputs("Write Failed!\n", stderr);
      return 2;
    }
    sent += static_cast<size_t>(piece);
  }
  port.Close();
  std::printf("wrote %zu bytes\n", sent);
  return 0;
}

#include "download/printer_socket.h"

int CPrinterSocket::Create() {
  return Answer(socket_.Create());
}

int CPrinterSocket::Connect(const std::string& address, int port) {
  if (!AcceptPort(port)) return 0;
  return Answer(socket_.Connect(address, static_cast<uint16_t>(port), kConnectTimeoutMs));
}

int CPrinterSocket::CheckDestination(const std::string& address, int port) {
  if (!AcceptPort(port)) return 0;
  return Answer(platform::TcpSocket::CheckDestination(address, kConnectTimeoutMs));
}

// Port 0 is no printer's: the system would pick some port, or reach a service of its own.
int CPrinterSocket::AcceptPort(int port) {
  if (port >= 1 && port <= 65535) return 1;
  lastFailure_ = "no TCP port (1-65535)";
  return 0;
}

int64_t CPrinterSocket::Send(const uint8_t* data, uint64_t length) {
  auto sent = socket_.SendAll(data, length, kSendStallTimeoutMs);
  if (!Answer(sent)) return -1;
  return static_cast<int64_t>(sent.value());
}

int CPrinterSocket::EndSending() {
  return Answer(socket_.EndSending());
}

int CPrinterSocket::CheckDelivered() {
  const auto delivered = socket_.CheckDelivered(kSendStallTimeoutMs, kDeliveryLookMs);
  if (!delivered) {
    lastFailure_ = delivered.Describe();
    return -1;
  }
  return delivered.value() ? 1 : 0;
}

void CPrinterSocket::Close() {
  socket_.Close();
}

#include "download/printer_socket.h"

int CPrinterSocket::Create() {
  return socket_.Create() ? 1 : 0;
}

int CPrinterSocket::Connect(const std::string& address, int port) {
  if (port < 0 || port > 65535) return 0;
  return socket_.Connect(address, static_cast<uint16_t>(port), kConnectTimeoutMs) ? 1 : 0;
}

int64_t CPrinterSocket::Send(const uint8_t* data, uint64_t length) {
  auto sent = socket_.SendAll(data, length, kSendStallTimeoutMs);
  return sent ? static_cast<int64_t>(sent.value()) : -1;
}

int CPrinterSocket::WaitDelivered() {
  return socket_.WaitDelivered(kSendStallTimeoutMs) ? 1 : 0;
}

void CPrinterSocket::Close() {
  socket_.Close();
}

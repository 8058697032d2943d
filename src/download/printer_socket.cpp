#include "download/printer_socket.h"

int CPrinterSocket::Create() {
  return Answer(socket_.Create());
}

int CPrinterSocket::Connect(const std::string& address, int port) {
  if (port < 0 || port > 65535) return 0;
  return Answer(socket_.Connect(address, static_cast<uint16_t>(port), kConnectTimeoutMs));
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

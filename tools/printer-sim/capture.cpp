#include "capture.h"

Capture::~Capture() {
  if (file_ != nullptr) std::fclose(file_);
}

bool Capture::Open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "wb");
  return file_ != nullptr;
}

void Capture::Store(const uint8_t* data, size_t length) {
  if (length == 0) return;
  const auto now = std::chrono::steady_clock::now();
  if (bytes_ == 0) first_ = now;
  last_ = now;
  std::fwrite(data, 1, length, file_);
  // Flushed at once so that a test may look at the file while the link is still up.
  std::fflush(file_);
  crc_.Update(data, length);
  bytes_ += length;
}

std::string Capture::Summary() const {
  const double seconds = std::chrono::duration<double>(last_ - first_).count();
  char line[128];
  std::snprintf(line, sizeof line, "received %llu bytes crc32 %08x in %.3f s",
                static_cast<unsigned long long>(bytes_), Crc32(crc_).Value(), seconds);
  return line;
}

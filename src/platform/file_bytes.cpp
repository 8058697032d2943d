#include "platform/file_bytes.h"

#include "platform/file_handle.h"

namespace platform {

// Opened without blocking: a FIFO would hold the open until a writer came.
SysResult<std::vector<uint8_t>> ReadFileBytes(const std::string& path, uint64_t maxBytes) {
  auto file = File::OpenReadOnly(path);
  if (!file) return SysResult<std::vector<uint8_t>>::Fail(file.call(), file.error());
  return file.value().ReadAllBytes(maxBytes);
}

}  // namespace platform

// Feeds arbitrary text to the HEX / S-record conversion: it must answer, never crash or
// touch memory outside the image area.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "download/hex_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> area;
  const bool built =
      BuildHexImage(std::string_view(reinterpret_cast<const char*>(data), size), area);
  if (built && area.size() != kHexImageSize) __builtin_trap();
  return 0;
}

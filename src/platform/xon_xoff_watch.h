#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace platform {

// Output flow by XON/XOFF, kept by the program for drivers that do not keep it (or keep it
// only on some chips): the bytes read from the printer pass through Strip, an XOFF holds
// the output and an XON releases it, in the order they arrived. The reader strips; the
// writer looks at Held between pieces.
class XonXoffWatch {
 public:
  static constexpr uint8_t kXon = 0x11;
  static constexpr uint8_t kXoff = 0x13;

  // Takes XON and XOFF out of `data` in place and answers how many bytes remain.
  size_t Strip(uint8_t* data, size_t length);
  bool Held() const { return held_.load(); }
  // A line that is opened again starts with its output released.
  void Release() { held_.store(false); }

 private:
  std::atomic<bool> held_{false};
};

}  // namespace platform

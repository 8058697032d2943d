#include "platform/xon_xoff_watch.h"

namespace platform {

size_t XonXoffWatch::Strip(uint8_t* data, size_t length) {
  size_t kept = 0;
  for (size_t i = 0; i < length; ++i) {
    if (data[i] == kXoff) {
      held_.store(true);
    } else if (data[i] == kXon) {
      held_.store(false);
    } else {
      data[kept++] = data[i];
    }
  }
  return kept;
}

}  // namespace platform

#include <time.h>

#include "platform/local_time.h"

namespace platform {

std::string FormatLogStamp(time_t when) {
  tm fields{};
  if (::localtime_s(&fields, &when) != 0) return "[0000/00/00-00:00:00]";
  char text[64];
  const size_t length = ::strftime(text, sizeof text, "[%Y/%m/%d-%H:%M:%S]", &fields);
  return std::string(text, length);
}

}  // namespace platform

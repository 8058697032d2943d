#include "platform/local_time.h"

#include <cerrno>

namespace platform {

time_t CurrentTime() {
  return ::time(nullptr);
}

SysResult<time_t> MakeLocalTime(const CalendarTime& when) {
  tm fields{};
  fields.tm_year = when.year - 1900;
  fields.tm_mon = when.month - 1;
  fields.tm_mday = when.day;
  fields.tm_hour = when.hour;
  fields.tm_min = when.minute;
  fields.tm_sec = when.second;
  fields.tm_isdst = -1;
  // mktime answers -1 both for an error and for the second before the epoch; only the
  // error sets tm_wday out of its range, which tells the two apart.
  fields.tm_wday = -1;
  errno = 0;
  const time_t seconds = ::mktime(&fields);
  if (seconds == static_cast<time_t>(-1) && fields.tm_wday == -1) {
    return SysResult<time_t>::Fail("mktime", errno != 0 ? errno : EOVERFLOW);
  }
  return SysResult<time_t>::Ok(seconds);
}

}  // namespace platform

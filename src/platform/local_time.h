#pragma once

#include <ctime>
#include <string>

#include "platform/sys_result.h"

namespace platform {

// A calendar date and time of day in local time. Fields out of their range carry into the
// next unit when converted (month 13 is January of the following year, day 0 the last day
// of the previous month), as the C library's calendar conversion does.
struct CalendarTime {
  int year = 1970;
  int month = 1;  // 1 = January
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

time_t CurrentTime();

// Seconds since the epoch of a local calendar time, the system deciding on daylight saving
// time. Fails when the time cannot be represented.
SysResult<time_t> MakeLocalTime(const CalendarTime& when);

// "[%Y/%m/%d-%H:%M:%S]" of `when` in local time, e.g. "[2010/05/03-14:22:01]".
std::string FormatLogStamp(time_t when);

}  // namespace platform

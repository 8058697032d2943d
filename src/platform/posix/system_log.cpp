#include <syslog.h>

#include "platform/standard_paths.h"
#include "platform/system_log.h"

namespace platform {

void RecordRunInSystemLog(bool failed, const std::string& line) {
  if (!IsInstalledUnderSystemPrefix()) return;
  openlog("vrtqlx", LOG_PID, LOG_USER);
  syslog(failed ? LOG_ERR : LOG_INFO, "%s", line.c_str());
  closelog();
}

}  // namespace platform

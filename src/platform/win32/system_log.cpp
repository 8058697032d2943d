#include "platform/system_log.h"

namespace platform {

// A Windows program keeps its record in the log file beside it, wherever it was installed
// (its setup registers no event source for the system's event log).
void RecordRunInSystemLog(bool, const std::string&) {}

}  // namespace platform

#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sys_result.h"

namespace platform {

// One print queue of the system's spooler: its name, the device it prints to, the driver
// it prints with, and whether it takes jobs.
struct SpoolerQueue {
  std::string name;
  std::string deviceUri;
  std::string makeAndModel;
  bool acceptingJobs = true;
};

// The system's print spooler, as far as the downloader needs it: list the queues, look one
// up, and move a queue to another device or stop it from taking jobs.
class Spooler {
 public:
  virtual ~Spooler() = default;
  // Every local queue; none when no spooler can be reached.
  virtual std::vector<SpoolerQueue> ListQueues() = 0;
  virtual SysResult<SpoolerQueue> GetQueue(const std::string& name) = 0;
  // Points the queue at `deviceUri` and, when `acceptingJobs` is given, lets it take jobs or
  // refuse them, in one change of the queue.
  virtual SysStatus MoveQueue(const std::string& name, const std::string& deviceUri,
                              std::optional<bool> acceptingJobs) = 0;
};

// The device a queue is parked on while a download uses its port.
inline constexpr const char* kParkedDeviceUri = "file:/dev/null";

// The CUPS scheduler named by CUPS_SERVER (or the default one); without CUPS support in
// the build, a spooler that has no queues.
std::unique_ptr<Spooler> CreateSystemSpooler();

}  // namespace platform

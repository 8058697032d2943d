#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/sys_result.h"

namespace platform {

// One print queue of the system's spooler: its name, the device it prints to, the driver
// it prints with, whether it takes jobs, and whether it is paused and why.
struct SpoolerQueue {
  std::string name;
  std::string deviceUri;
  std::string makeAndModel;
  bool acceptingJobs = true;
  bool paused = false;
  std::string stateMessage;
};

// The system's print spooler, as far as the downloader needs it: list the queues, look one
// up, pause and resume a queue (jobs sent to a paused queue wait), let it take jobs or not.
class Spooler {
 public:
  virtual ~Spooler() = default;
  // Every local queue; none when no spooler can be reached. Fails when a spooler is there
  // but did not answer (in time, or at all).
  virtual SysResult<std::vector<SpoolerQueue>> ListQueues() = 0;
  // Fails with ENOENT when the queue does not exist; any other error means the spooler could
  // not tell (not reachable, no answer in time).
  virtual SysResult<SpoolerQueue> GetQueue(const std::string& name) = 0;
  // Stops the queue from printing, with `message` as the reason it shows; a job printing
  // now is stopped and printed again later.
  virtual SysStatus PauseQueue(const std::string& name, const std::string& message) = 0;
  virtual SysStatus ResumeQueue(const std::string& name) = 0;
  // `message` is the reason a queue that refuses jobs shows (a queue that takes them again
  // shows none).
  virtual SysStatus SetAcceptingJobs(const std::string& name, bool accepting,
                                     const std::string& message) = 0;
};

// The CUPS scheduler that libcups names (CUPS_SERVER as a host, host:port or socket path,
// else client.conf, else the local socket); each request is bounded (15 s: a scheduler busy
// or held up for seconds is still waited for) and given up on a stop request. Without CUPS
// support in the build, a spooler that has no queues.
std::unique_ptr<Spooler> CreateSystemSpooler();

// The system's spooler when a scheduler may be running there; else one that has no queues,
// found without loading the spooler's library (a start that needs no spooler stays light).
// Its requests are bounded at 4 s: a start only looks for queues that runs which died left.
std::unique_ptr<Spooler> CreateSystemSpoolerIfRunning();

// The system's spooler for a listing of its queues: bounded at 4 s as at start, and its
// ListQueues fails (EHOSTUNREACH) when no scheduler is there to answer, where the others
// answer no queues, so that a listing can say it could not ask.
std::unique_ptr<Spooler> CreateSystemSpoolerToList();

}  // namespace platform

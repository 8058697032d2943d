#pragma once

#include <sys/types.h>

#include <string>

#include "support/temp_dir.h"

namespace testsupport {

// A CUPS scheduler of the test's own: configuration, spool and a unix socket under a
// temporary directory, queues added with lpadmin. Stopped and reaped on destruction.
class PrivateCupsServer {
 public:
  PrivateCupsServer();
  ~PrivateCupsServer();
  PrivateCupsServer(const PrivateCupsServer&) = delete;
  PrivateCupsServer& operator=(const PrivateCupsServer&) = delete;

  bool running() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // What CUPS_SERVER must hold for clients to reach this scheduler: its socket, or its
  // loopback listener as "host:port".
  const std::string& socket() const { return socket_; }
  std::string tcpAddress() const { return "127.0.0.1:" + std::to_string(port_); }
  // Stops the scheduler, and starts it again on the same configuration and queues.
  void Stop();
  bool Start();

  // Adds an enabled queue printing to `deviceUri`; a driver named `makeAndModel` when not
  // empty.
  bool AddQueue(const std::string& name, const std::string& deviceUri,
                const std::string& makeAndModel = "");
  // The queue's device URI and whether it accepts jobs, as lpstat tells them.
  std::string DeviceOf(const std::string& name) const;
  bool Accepting(const std::string& name) const;
  bool Reject(const std::string& name, const std::string& reason = "");
  // Pausing as an administrator does; whether the queue is paused, and the reason it shows.
  bool Pause(const std::string& name, const std::string& reason = "");
  bool Paused(const std::string& name) const;
  std::string StateMessage(const std::string& name) const;
  bool RemoveQueue(const std::string& name);
  // Sends a small job to the queue; counts its jobs not yet done, and those completed.
  bool Print(const std::string& name);
  int JobCount(const std::string& name, bool completed) const;

 private:
  std::string Lpstat(const std::string& options) const;
  TempDir dir_;
  std::string socket_;
  int port_ = 0;
  pid_t pid_ = -1;
};

}  // namespace testsupport

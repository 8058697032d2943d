#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// A program run as a child process with its standard output on a pipe, read line by line.
// The destructor ends a child still running (SIGTERM, then SIGKILL) and reaps it.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& argv);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // The next line of standard output without its newline; nullopt when none came within
  // timeoutMs or the output ended.
  std::optional<std::string> ReadLine(int timeoutMs);
  void Signal(int signal);
  // The exit status (or 128 + signal), nullopt when the child did not end within timeoutMs.
  std::optional<int> Wait(int timeoutMs);

 private:
  pid_t pid_ = -1;
  int stdout_ = -1;
  std::string pending_;
  std::optional<int> status_;
};

// The process running the program file `path` (found by its /proc/<pid>/exe), or -1.
pid_t PidOfProgram(const std::string& path);

}  // namespace testsupport

#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

struct ProcessOptions {
  std::string workingDir;  // empty: the test's own
  // The test's own environment with these variables set, and those named in `unset` removed.
  std::map<std::string, std::string> env;
  std::vector<std::string> unset;
  std::chrono::milliseconds timeLimit{20000};
  // Standard error on a pseudo-terminal instead of a pipe, as at an operator's terminal.
  bool stderrOnTerminal = false;
};

struct ProcessResult {
  int exitCode = -1;      // -1 when the process did not exit by itself
  int signal = 0;         // the signal that ended it, if any
  bool timedOut = false;  // killed at the time limit
  std::string out;
  std::string err;
};

// Runs `program` with `args` (without the program name, which is passed as argv[0]) as a
// child process, with no standard input, capturing both output streams. A child still
// running at the time limit is killed.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = {});

}  // namespace testsupport

#pragma once

#include <optional>
#include <string>
#include <vector>

// The program's own options for scripts and administrators. They come before "-s" (or stand
// alone when a vrtqlx.ini names the job); the command line after them is read exactly as
// before.
struct ScriptOptions {
  // One JSON object on standard output at the end: outcome, exit code, job, bytes, reason.
  bool json = false;
  // Settles everything a silent run would and says what it would do; opens no port and
  // changes no queue.
  bool dryRun = false;
  // Lists the printers and lines of this station and their queues, and runs no job.
  bool list = false;
  // No progress line and no notices on standard error; log lines and reasons still come.
  bool quiet = false;
  // The log file to append to instead of _VRT_QLX.txt beside the program.
  std::string logFile;

  // Any of them marks a caller that is a script: no window ever opens for it.
  bool Any() const { return json || dryRun || list || quiet || !logFile.empty(); }
};

// Takes the leading options out of `arguments` (index 0 is the program). nullopt, with
// `error` saying why, for an option it does not know or one without its value.
std::optional<ScriptOptions> TakeScriptOptions(std::vector<std::string>& arguments,
                                               std::string& error);

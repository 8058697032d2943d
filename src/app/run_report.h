#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a run did, for a script: the one JSON object `--json` prints at the end.
struct RunReport {
  // "downloaded", "failed", "invalid parameters", "interrupted", "would download" (a dry
  // run that found nothing in the way), "interactive" or "no window".
  std::string outcome;
  int exitCode = 0;
  std::string model;
  std::string port;
  // Where the bytes go: "ADDRESS:PORT" over TCP, else the device the port name opens.
  std::string target;
  std::string file;
  uint64_t bytesSent = 0;
  uint64_t bytesTotal = 0;
  double seconds = 0;
  std::string logFile;
  // Why it failed, as the log line says it, with the system's reason where there is one.
  std::string reason;
  // What the caller should know although the run went on, as standard error said it.
  std::vector<std::string> warnings;
};

// A stop signal (`signal`, 0 for none) that came while the run put things back, after its last
// look at one, still ends the process by that signal: whatever the run got to, its caller is
// told it was stopped, never that it downloaded.
void MarkStoppedRun(RunReport& report, int signal);

// The report as one line of JSON. Texts are escaped so that any file or port name, even one
// that holds control characters or bytes that are no UTF-8, gives valid JSON.
std::string RunReportJson(const RunReport& report);

// The report as the one line the system's log keeps of a run: outcome, exit code, model,
// target, file, bytes sent of the total, seconds and reason, texts quoted as in the JSON.
std::string RunReportLine(const RunReport& report);

#pragma once

#include <functional>
#include <string>
#include <vector>

// The one channel through which the program tells what happened. In an interactive run a
// report is a message box at once; in a silent run it is a time-stamped line held in
// memory and appended to "_VRT_QLX.txt" beside the program when the application ends.
// Notices are shown in an interactive run and dropped in a silent one, so the log of an
// unattended run holds its errors only.
// "text (reason)", or the text alone: how a message and why it happened are shown together
// on standard error and in a run's report.
std::string WithReason(const std::string& text, const std::string& reason);

// Names inside a message (files, addresses, printers) come from outside: a line break or
// another control character in one is shown escaped ("\n", "\r", "\t", "\x1B"), so one
// report stays one line and no name can move a terminal's cursor. Every text the program
// writes for people (log, standard error, the dry run's answer) goes through it.
std::string EscapeControls(const std::string& text);

class CEventLog {
 public:
  // First argument of Report: how the run talks to its user.
  static constexpr int kInteractive = 0;
  static constexpr int kSilent = 1;
  // Second argument: a notice (dropped in a silent run) or a message worth recording.
  static constexpr int kMessage = 0;
  static constexpr int kNotice = 1;

  // The process's instance, created on first use beside the running program and never
  // freed. Silent reports are echoed on standard error as they are made.
  static CEventLog* GetInstance();

  // `moduleDir` is where the log file lives; `fallbackDir`, when not empty, takes the log
  // file when `moduleDir` cannot; `echoFd`, when not negative, receives each recorded line
  // at once.
  CEventLog(std::string moduleDir, std::string fallbackDir, int echoFd);
  CEventLog(const CEventLog&) = delete;
  CEventLog& operator=(const CEventLog&) = delete;

  void Report(int silent, int notice, const std::string& text);
  // As above; the echo on standard error carries `reason` (why a port, node or file would
  // not open) after the text. The log file and the message box get the text alone.
  void Report(int silent, int notice, const std::string& text, const std::string& reason);
  // A warning of a silent run: something the caller should know although the run goes on
  // (a model outside the catalogue, a file that names another model, a queue that could not
  // be paused). Said at once on standard error, even under --quiet, and kept for --json; the
  // log file never sees it.
  void Warn(const std::string& text);
  const std::vector<std::string>& Warnings() const { return warnings; }
  // Runs before each echoed line, so that a progress line drawn on the same terminal is
  // ended first; an empty function removes it.
  void SetBeforeEcho(std::function<void()> beforeEcho);
  // Appends the gathered lines to the log file and empties the buffer. Without lines the
  // file is not touched, not even created.
  void Flush();

  const std::string& PendingLines() const { return buffer; }
  // The last message recorded in a silent run and the reason its echo carried.
  const std::string& LastMessage() const { return lastMessage; }
  const std::string& LastReason() const { return lastReason; }
  // Names the log file itself (a script's --log), in place of the one beside the program.
  void SetLogFile(std::string path) { logFile = std::move(path); }
  // The file the lines went to at the last Flush, or would go to first; for the caller.
  // Empty when the last Flush found no place that took its lines.
  std::string LogFilePath() const;

 private:
  // The log file named or beside the program, before any fallback.
  std::string FirstLogPath() const;
  bool AppendTo(const std::string& path);

  void Echo(const std::string& line);

  std::string buffer;
  std::vector<std::string> warnings;
  std::string lastMessage;
  std::string lastReason;
  std::string logFile;
  std::string writtenTo;
  bool linesLost = false;
  std::string moduleDir;
  std::string fallbackDir;
  int echoFd;
  std::function<void()> beforeEcho;
};

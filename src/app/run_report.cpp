#include "app/run_report.h"

#include <cstdio>

#include "app/json_text.h"

namespace {

std::string Seconds(const RunReport& report) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.3f", report.seconds);
  return seconds;
}

}  // namespace

void MarkStoppedRun(RunReport& report, int signal) {
  if (signal == 0) return;
  report.outcome = "interrupted";
  report.reason = "stopped by signal " + std::to_string(signal);
}

std::string RunReportJson(const RunReport& report) {
  return "{\"outcome\": " + JsonQuoted(report.outcome) +
         ", \"exit_code\": " + std::to_string(report.exitCode) +
         ", \"model\": " + JsonQuoted(report.model) + ", \"port\": " + JsonQuoted(report.port) +
         ", \"target\": " + JsonQuoted(report.target) + ", \"file\": " + JsonQuoted(report.file) +
         ", \"bytes_sent\": " + std::to_string(report.bytesSent) +
         ", \"bytes_total\": " + std::to_string(report.bytesTotal) +
         ", \"seconds\": " + Seconds(report) + ", \"log_file\": " + JsonQuoted(report.logFile) +
         ", \"reason\": " + JsonQuoted(report.reason) +
         ", \"warnings\": " + JsonQuotedList(report.warnings) + "}";
}

std::string RunReportLine(const RunReport& report) {
  return "outcome=" + JsonQuoted(report.outcome) + " exit_code=" + std::to_string(report.exitCode) +
         " model=" + JsonQuoted(report.model) + " target=" + JsonQuoted(report.target) +
         " file=" + JsonQuoted(report.file) + " bytes=" + std::to_string(report.bytesSent) + "/" +
         std::to_string(report.bytesTotal) + " seconds=" + Seconds(report) +
         " reason=" + JsonQuoted(report.reason);
}

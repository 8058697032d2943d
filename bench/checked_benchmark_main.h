#pragma once

#include <benchmark/benchmark.h>

#include <vector>

// The benchmark programs' main: the console's usual report, and exit 1 when any benchmark
// ended with an error (its work did not happen), so `make bench` cannot print a figure of
// nothing and pass.
class CheckedReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) failed_ = failed_ || run.error_occurred;
    ConsoleReporter::ReportRuns(runs);
  }
  bool failed() const { return failed_; }

 private:
  bool failed_ = false;
};

inline int RunCheckedBenchmarks(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  CheckedReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return reporter.failed() ? 1 : 0;
}

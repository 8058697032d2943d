#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "app/stall_watch.h"
#include "download/download_observer.h"

// The progress line of a silent run whose standard error is a terminal: one line redrawn
// in place that shows the phase, the bytes sent of the total, the percentage, the rate and
// the time left, and "stalled" once no byte has moved for a while. It never reaches the log
// file. Redraws are throttled, so a download of small blocks costs no more than one of
// large ones.
class TerminalProgress final : public DownloadObserver {
 public:
  static constexpr uint64_t kRedrawIntervalMs = 100;

  // nullptr when standard error is no terminal: scripts see only the log lines.
  static std::unique_ptr<TerminalProgress> ForStandardError();

  explicit TerminalProgress(int fd);

  void OnSending(uint64_t sent, uint64_t total) override;
  void OnWaitingForPrinter(uint64_t total, uint64_t msLeft) override;
  void OnEnded() override;
  // Ends a line drawn so far, so that other output starts on a line of its own.
  void EndLine();
  // The run's last word on the terminal: how many bytes went in the `seconds` the whole
  // download took (the printer's acknowledgement included), or where it stopped.
  void Finish(bool failed, double seconds);

 private:
  enum class Phase { kNone, kSending, kWaiting };
  // Whether the line may be drawn now: always on a change of phase, otherwise at most
  // once per redraw interval.
  bool DueForRedraw(Phase phase, bool last);
  void Draw(const std::string& text);
  void EndLineLocked();
  void ShowStall(unsigned seconds);

  int fd;
  Phase shown = Phase::kNone;
  uint64_t lastDrawMs = 0;
  uint64_t sendStartMs = 0;
  uint64_t lastSent = 0;
  uint64_t lastTotal = 0;
  size_t drawnLength = 0;
  bool lineOpen = false;
  std::string sendingText;
  // The stall watch draws from its own thread: every draw holds this.
  std::mutex drawLock;
  StallWatch stallWatch{[this](unsigned seconds) { ShowStall(seconds); }};
};

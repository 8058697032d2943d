#pragma once

#include <cstdint>

#include "download/download_observer.h"
#include "platform/clock.h"

// Passes a download's progress on to a display (or to none) and keeps what the run's report
// tells: the bytes sent of the total, and how long the download took.
class RunRecorder final : public DownloadObserver {
 public:
  explicit RunRecorder(DownloadObserver* display)
      : display_(display), startMs_(platform::CurrentClock().NowMs()) {}

  void OnSending(uint64_t sentNow, uint64_t totalNow) override {
    sent = sentNow;
    total = totalNow;
    if (display_) display_->OnSending(sentNow, totalNow);
  }
  void OnWaitingForPrinter(uint64_t totalNow, uint64_t msLeft) override {
    if (display_) display_->OnWaitingForPrinter(totalNow, msLeft);
  }
  void OnEnded() override {
    endMs_ = platform::CurrentClock().NowMs();
    if (display_) display_->OnEnded();
  }
  double Seconds() const {
    const uint64_t end = endMs_ != 0 ? endMs_ : platform::CurrentClock().NowMs();
    return static_cast<double>(end - startMs_) / 1000.0;
  }

  uint64_t sent = 0;
  uint64_t total = 0;

 private:
  DownloadObserver* display_;
  uint64_t startMs_;
  uint64_t endMs_ = 0;
};

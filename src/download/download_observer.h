#pragma once

#include <cstdint>

// Follows a download from outside the window, for a display of its own (the progress line
// of a silent run on a terminal). Calls come from the window's thread, as the engine's
// steps run; an observer keeps them cheap.
class DownloadObserver {
 public:
  virtual ~DownloadObserver() = default;
  // `sent` of the image's `total` bytes have gone out.
  virtual void OnSending(uint64_t sent, uint64_t total) = 0;
  // Everything has gone out; the printer takes the image for about `msLeft` more.
  virtual void OnWaitingForPrinter(uint64_t total, uint64_t msLeft) = 0;
  // The download has ended, completed or failed.
  virtual void OnEnded() = 0;
};

#pragma once

#include <cstdint>
#include <string>

// A spooler queue a download parked: where it printed to, whether this run paused it (one
// paused before stays paused), and whether it took jobs before.
struct SavedPrinterPort {
  std::string previousPort;
  bool pausedHere = false;
  // The queue's state word before the move; kept only when the move changed it.
  bool hasSavedAttributes = false;
  uint32_t savedAttributes = 0;
};

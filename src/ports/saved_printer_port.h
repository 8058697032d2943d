#pragma once

#include <string>

// A spooler queue a download parked: where it printed to, and whether this run holds it
// (joined its holders). The queue's state from before lives in the queue's own note, where
// every run that holds it finds it.
struct SavedPrinterPort {
  std::string previousPort;
  bool held = false;
};

#pragma once

#include <cstdint>
#include <string>

// Where a spooler queue was bound before a download moved it aside.
struct SavedPrinterPort {
  std::string previousPort;
  // The queue's state word before the move; kept only when the move changed it.
  bool hasSavedAttributes = false;
  uint32_t savedAttributes = 0;
};

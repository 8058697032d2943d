#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ports/port_backends.h"

// A printer behind a fake device node: it keeps what the port writes, answers reads from a
// script, and can refuse to open or stop taking bytes.
struct FakePrinter {
  std::vector<std::string> openedPaths;
  bool open = false;
  bool refuseOpen = false;
  std::vector<uint8_t> received;
  std::vector<size_t> writeSizes;
  // A write that would carry the total past this many bytes goes out short.
  std::optional<size_t> takeAtMost;
  std::deque<std::vector<uint8_t>> replies;
  // Runs at every write, with the count asked for (tests check the engine's state there).
  std::function<void(size_t)> onWrite;
};

// Port services whose serial lines, parallel and USB nodes all lead to `printer`.
PortBackends FakePortBackends(std::shared_ptr<FakePrinter> printer);

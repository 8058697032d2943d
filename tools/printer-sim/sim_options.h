#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class SimMode { kTcp, kSerial, kNode, kGadget, kTty };

struct SimOptions {
  SimMode mode = SimMode::kTcp;
  std::string outPath;
  uint16_t tcpPort = 9100;
  std::string versionText = "1.35";
  char fpgaDigit = '4';
  // node: a FIFO created here instead of a pseudo-terminal; gadget, tty: the node opened
  std::string nodePath;
  std::optional<uint64_t> stopAfter;
  std::optional<uint64_t> closeAfter;
  std::optional<uint64_t> resetAfter;  // tcp: ends the connection with a reset
  uint64_t sendBytes = 0;              // tcp: bytes sent back to the peer as it connects
  bool silent = false;
  uint64_t bytesPerSecond = 0;  // 0 = as fast as the peer sends
  // tty: after `afterBytes` the printer closes its side (DSR falls) or sends XOFF, for
  // `seconds`, then opens it again or sends XON.
  struct LineEvent {
    uint64_t afterBytes = 0;
    uint64_t seconds = 0;
  };
  std::optional<LineEvent> dsrDrop;
  std::optional<LineEvent> xoff;
};

// Parses the arguments after the program name; on error fills `error` and returns nullopt.
std::optional<SimOptions> ParseSimOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kSimUsage;

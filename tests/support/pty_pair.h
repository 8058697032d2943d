#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// A pseudo-terminal pair for serial-line tests: the code under test opens SlavePath(),
// the test talks through the master side.
class PtyPair {
 public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0; }
  int MasterFd() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }

  // Keeps one slave descriptor open in raw mode, so that bytes written to the master
  // before the code under test opens the slave are neither echoed nor lost.
  bool HoldSlaveOpen();
  void ReleaseSlave();

  bool WriteToMaster(const void* data, size_t length);
  // Reads from the master until `length` bytes came or `timeoutMs` passed since the last
  // byte; returns what arrived.
  std::vector<uint8_t> ReadFromMaster(size_t length, int timeoutMs);

 private:
  int master_ = -1;
  int slaveHolder_ = -1;
  std::string slavePath_;
};

}  // namespace testsupport

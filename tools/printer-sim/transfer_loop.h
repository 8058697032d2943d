#pragma once

#include <functional>

#include "capture.h"
#include "query_responder.h"
#include "sim_options.h"

// Takes bytes from one link until the peer goes away, a stop signal arrives, or the
// configured misbehaviour ends it. Replies to queries go to `replyFd` when there is one.
class TransferLoop {
 public:
  TransferLoop(const SimOptions& options, int signalFd, Capture& capture);

  // `onFirstData` runs once, when the first bytes have arrived.
  void Run(int readFd, int replyFd, const std::function<void()>& onFirstData);

 private:
  // Waits `ms` unless a stop signal comes first; false when one came.
  bool PauseUnlessSignalled(int ms);
  void SendReply(int replyFd, const std::vector<uint8_t>& reply);
  size_t NextReadSize() const;
  void WaitForHangup(int readFd);

  const SimOptions& options_;
  int signalFd_;
  Capture& capture_;
  QueryResponder responder_;
};

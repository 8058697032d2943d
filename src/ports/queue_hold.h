#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/process_probe.h"
#include "platform/spooler.h"

// Several runs may need the same queue at once (a serial line and a USB printer, two
// printers of one model, stations in containers or on other machines that share the
// scheduler). The queue's note lists them all: the first pauses it and keeps its state from
// before, later ones only join, and the last to leave puts that state back. Callers of
// HoldQueue, RenewQueue and ReleaseQueue hold the queue note lock around them.
//
// A holder that the reader cannot look at (another machine, another PID namespace) is kept
// as long as its lease lasts: a run renews its stamp every kRenewSeconds while it holds
// queues, and one not renewed for kLeaseSeconds has ended. Ten renewals fit into a lease,
// so a scheduler that misses a few, or a busy station, never loses a live run; a station
// that died leaves its queues paused for five minutes at most, until the next start.
constexpr int64_t kRenewSeconds = 30;
constexpr int64_t kLeaseSeconds = 300;

// How a run sees the holders of a note: who it is, which runs still run, and the time.
struct HolderJudge {
  platform::RunIdentity self;
  platform::RunState (*stateOf)(const platform::RunIdentity&) = nullptr;
  // The run behind a process id of a note of the earlier form, when one runs here.
  std::optional<platform::RunIdentity> (*runOf)(long processId) = nullptr;
  // Calendar seconds (Unix time).
  int64_t now = 0;
};

// This process, judging by /proc (or the system's process list) and the system's clock.
HolderJudge SystemHolderJudge();

// Adds this run to the queue's holders, pausing the queue when no live run holds it yet;
// with `refuseJobs` the queue also refuses jobs while held (it did not take them before either
// if it refuses already). Fails with ENOSPC, changing nothing, when the note has no room left
// to name this run. `messageCut` is set when the queue's message had to be cut to fit beside
// the note (at a character boundary).
platform::SysStatus HoldQueue(platform::Spooler& spooler, const std::string& name,
                              const HolderJudge& judge, bool refuseJobs, bool& messageCut);

// Renews this run's stamp in the queue's note, naming it again if another writer dropped it.
// A queue that no longer carries a note (put back by someone) is left as it is.
platform::SysStatus RenewQueue(platform::Spooler& spooler, const std::string& name,
                               const HolderJudge& judge);

// Removes this run from the queue's holders; the last live holder to leave restores the
// state from before. A queue whose note no longer names this run (someone else put it back)
// is left as it is. Fails with ENOENT when the queue is gone.
platform::SysStatus ReleaseQueue(platform::Spooler& spooler, const std::string& name,
                                 const HolderJudge& judge);

// Drops the holders that no longer run (or whose lease ended) from every held queue, and
// restores the queues that are left with none; takes the queue note lock itself, and only
// when there is work. Answers why the lock could not be had, or "".
std::string ResumeQueuesOfEndedRuns(platform::Spooler& spooler, const HolderJudge& judge);

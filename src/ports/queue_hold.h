#pragma once

#include <string>

#include "platform/spooler.h"

// Several runs on one machine may need the same queue at once (a serial line and a USB
// printer, two printers of one model). The queue's note lists them all: the first pauses it
// and keeps its state from before, later ones only join, and the last to leave puts that
// state back. Callers of HoldQueue and ReleaseQueue hold the queue note lock around them.

using IsRunningCheck = bool (*)(long processId);

// Adds `self` to the queue's holders, pausing it when no live run holds it yet; with
// `refuseJobs` the queue also refuses jobs while held (it did not take them before either
// if it refuses already).
platform::SysStatus HoldQueue(platform::Spooler& spooler, const std::string& name, long self,
                              bool refuseJobs, IsRunningCheck isRunning);

// Removes `self` from the queue's holders; the last live holder to leave restores the state
// from before. A queue whose note no longer names `self` (someone else put it back) is left
// as it is. Fails with ENOENT when the queue is gone.
platform::SysStatus ReleaseQueue(platform::Spooler& spooler, const std::string& name, long self,
                                 IsRunningCheck isRunning);

// Drops the holders that no longer run from every held queue, and restores the queues that
// are left with none; takes the queue note lock itself, and only when there is work.
void ResumeQueuesOfEndedRuns(platform::Spooler& spooler, IsRunningCheck isRunning);

#pragma once

#include <optional>
#include <string>

#include "platform/spooler.h"

// The reason a queue paused for a download shows: it names this program and its process,
// and whether the queue took jobs before, so that a later start can put back the queues of
// a run that ended without doing so itself.
struct ParkNote {
  long processId = 0;
  // Set when the download made the queue refuse jobs and it took them before.
  bool acceptedJobs = false;
};

std::string ParkNoteText(const ParkNote& note);
// The note in a queue's state message, or nullopt when the message is no such note.
std::optional<ParkNote> ReadParkNote(const std::string& message);

// Resumes every paused queue whose note names a process that `isRunning` says is gone, and
// lets it take jobs again when it did before.
void ResumeQueuesOfEndedRuns(platform::Spooler& spooler, bool (*isRunning)(long processId));

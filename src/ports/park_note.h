#pragma once

#include <optional>
#include <string>
#include <vector>

// The reason a queue paused for downloads shows. It names every live run of this program
// that needs the queue and keeps the queue's state from before the first of them, so that
// the last run to leave, or a later start after runs that died, puts back exactly that.
struct ParkNote {
  // Process ids of the runs that hold the queue, in the order they came.
  std::vector<long> holders;
  // The queue was paused before (by its administrator), with this message.
  bool pausedBefore = false;
  std::string messageBefore;
  // Set when a run made the queue refuse jobs and it took them before.
  bool acceptedJobs = false;
};

std::string ParkNoteText(const ParkNote& note);
// The note in a queue's state message, or nullopt when the message is no such note.
std::optional<ParkNote> ReadParkNote(const std::string& message);

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/process_probe.h"

// One run that holds a queue, and when it last said it still does.
struct NoteHolder {
  platform::RunIdentity run;
  // Calendar seconds (Unix time) of its last renewal; runs of one machine and PID namespace
  // share the latest of theirs.
  int64_t renewed = 0;
};

// The reason a queue paused for downloads shows. It names every run of this program that
// needs the queue and keeps the queue's state from before the first of them, so that the
// last run to leave, or a later start after runs that died, puts back exactly that.
struct ParkNote {
  std::vector<NoteHolder> holders;
  // The queue was paused before (by its administrator); its message, paused or not.
  bool pausedBefore = false;
  std::string messageBefore;
  // Set when a run made the queue refuse jobs and it took them before.
  bool acceptedJobs = false;
  // A note of the earlier form named its runs by process id alone.
  std::vector<long> earlierHolders;
};

// The longest state message the scheduler keeps (CUPS: 1023 bytes); a longer note would come
// back cut.
constexpr size_t kLongestNote = 1023;

// The note's text; longer than kLongestNote when it holds too much to be kept.
std::string ParkNoteText(const ParkNote& note);
// The note in a queue's state message, or nullopt when the message is no such note.
std::optional<ParkNote> ReadParkNote(const std::string& message);
// `text` cut to at most `limit` bytes, never inside a UTF-8 character.
std::string CutAtCharacter(const std::string& text, size_t limit);

#include "ports/queue_hold.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "platform/queue_note_lock.h"
#include "ports/park_note.h"

namespace {

using platform::SysStatus;

// The note of a queue that is held now; a note left on a queue someone resumed since is
// no longer in force.
std::optional<ParkNote> NoteOf(const platform::SpoolerQueue& queue) {
  if (!queue.paused) return std::nullopt;
  return ReadParkNote(queue.stateMessage);
}

// Removes the holders that are gone (and `self`, which the caller adds again if it stays).
void KeepLiveOthers(ParkNote& note, long self, IsRunningCheck isRunning) {
  std::erase_if(note.holders, [&](long id) { return id == self || !isRunning(id); });
}

SysStatus RestoreBefore(platform::Spooler& spooler, const std::string& name, const ParkNote& note) {
  if (note.acceptedJobs) {
    if (auto status = spooler.SetAcceptingJobs(name, true, {}); !status) return status;
  }
  // Pausing again is how a paused queue gets its own message back.
  return note.pausedBefore ? spooler.PauseQueue(name, note.messageBefore)
                           : spooler.ResumeQueue(name);
}

}  // namespace

SysStatus HoldQueue(platform::Spooler& spooler, const std::string& name, long self, bool refuseJobs,
                    IsRunningCheck isRunning) {
  auto current = spooler.GetQueue(name);
  if (!current) return SysStatus::Fail(current.call(), current.error());
  const platform::SpoolerQueue& queue = current.value();

  ParkNote note;
  if (auto held = NoteOf(queue)) {
    // Another run holds it, or one that died left it: the state from before is the one its
    // note keeps, never what that run made of the queue.
    note = *held;
    KeepLiveOthers(note, self, isRunning);
  } else {
    note.pausedBefore = queue.paused;
    note.messageBefore = queue.stateMessage;
  }
  note.holders.push_back(self);

  if (refuseJobs && queue.acceptingJobs) {
    note.acceptedJobs = true;
    // It refuses jobs before it pauses, so that none slips in between; the request carries
    // the note, or the scheduler would put its own words in the state message.
    if (auto status = spooler.SetAcceptingJobs(name, false, ParkNoteText(note)); !status) {
      return status;
    }
  }
  return spooler.PauseQueue(name, ParkNoteText(note));
}

SysStatus ReleaseQueue(platform::Spooler& spooler, const std::string& name, long self,
                       IsRunningCheck isRunning) {
  auto current = spooler.GetQueue(name);
  if (!current) return SysStatus::Fail(current.call(), current.error());
  auto note = NoteOf(current.value());
  if (!note || std::find(note->holders.begin(), note->holders.end(), self) == note->holders.end()) {
    return platform::OkStatus();
  }
  KeepLiveOthers(*note, self, isRunning);
  if (!note->holders.empty()) return spooler.PauseQueue(name, ParkNoteText(*note));
  return RestoreBefore(spooler, name, *note);
}

void ResumeQueuesOfEndedRuns(platform::Spooler& spooler, IsRunningCheck isRunning) {
  // Most starts find no queue held by a run that is gone, and then take no lock. A queue
  // that was found is read again under the lock: another start may have put it back since.
  std::vector<std::string> leftBehind;
  for (const auto& queue : spooler.ListQueues()) {
    auto note = NoteOf(queue);
    if (note && !std::all_of(note->holders.begin(), note->holders.end(), isRunning)) {
      leftBehind.push_back(queue.name);
    }
  }
  if (leftBehind.empty()) return;
  const platform::QueueNoteLock lock;
  for (const std::string& name : leftBehind) {
    auto current = spooler.GetQueue(name);
    if (!current) continue;
    auto note = NoteOf(current.value());
    if (!note) continue;
    const size_t before = note->holders.size();
    std::erase_if(note->holders, [&](long id) { return !isRunning(id); });
    if (note->holders.size() == before) continue;
    if (note->holders.empty()) {
      RestoreBefore(spooler, name, *note);
    } else {
      spooler.PauseQueue(name, ParkNoteText(*note));
    }
  }
}

#include "ports/queue_hold.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "platform/queue_note_lock.h"
#include "ports/park_note.h"

namespace {

using platform::RunState;
using platform::SysStatus;

// The note of a queue that is held now; a note left on a queue someone resumed since is
// no longer in force.
std::optional<ParkNote> NoteOf(const platform::SpoolerQueue& queue) {
  if (!queue.paused) return std::nullopt;
  return ReadParkNote(queue.stateMessage);
}

bool StillHolds(const NoteHolder& holder, const HolderJudge& judge) {
  switch (judge.stateOf(holder.run)) {
    case RunState::kRunning:
      return true;
    case RunState::kEnded:
      return false;
    case RunState::kCannotTell:
      break;
  }
  return judge.now - holder.renewed <= kLeaseSeconds;
}

// The note's runs as this start sees them: a process id of the earlier form becomes the
// process that runs under it here now (or nothing, when none does).
void NameEarlierHolders(ParkNote& note, const HolderJudge& judge) {
  for (const long id : note.earlierHolders) {
    if (auto run = judge.runOf(id)) note.holders.push_back({*run, judge.now});
  }
  note.earlierHolders.clear();
}

bool Names(const ParkNote& note, const platform::RunIdentity& run) {
  return std::any_of(note.holders.begin(), note.holders.end(),
                     [&](const NoteHolder& h) { return h.run == run; });
}

// Removes the holders that are gone, and this run, which the caller adds again if it stays.
void KeepLiveOthers(ParkNote& note, const HolderJudge& judge) {
  NameEarlierHolders(note, judge);
  std::erase_if(note.holders,
                [&](const NoteHolder& h) { return h.run == judge.self || !StillHolds(h, judge); });
}

// What a renewal and a release start from: the queue as it is now and, while a note holds
// it, that note with only the live holders other than this run.
struct LiveNote {
  platform::SpoolerQueue queue;
  std::optional<ParkNote> note;
  // Whether the note named this run before it was dropped from it.
  bool namedSelf = false;
};

platform::SysResult<LiveNote> ReadLiveNote(platform::Spooler& spooler, const std::string& name,
                                           const HolderJudge& judge) {
  auto current = spooler.GetQueue(name);
  if (!current) return platform::SysResult<LiveNote>::Fail(current.call(), current.error());
  LiveNote live;
  live.queue = std::move(current.value());
  live.note = NoteOf(live.queue);
  if (live.note) {
    live.namedSelf = Names(*live.note, judge.self);
    KeepLiveOthers(*live.note, judge);
  }
  return platform::SysResult<LiveNote>::Ok(std::move(live));
}

// `queue` is the queue as it is now, still held.
SysStatus RestoreBefore(platform::Spooler& spooler, const platform::SpoolerQueue& queue,
                        const ParkNote& note) {
  const std::string& name = queue.name;
  if (note.acceptedJobs) {
    if (auto status = spooler.SetAcceptingJobs(name, true, {}); !status) return status;
  }
  // Pausing again is how a paused queue gets its own message back.
  if (note.pausedBefore) return spooler.PauseQueue(name, note.messageBefore);
  auto status = spooler.ResumeQueue(name);
  // A queue that refused jobs before shows why again ("closed for stocktake"): refusing
  // once more is how it gets its reason back.
  const bool refusedBefore = !queue.acceptingJobs && !note.acceptedJobs;
  if (status && refusedBefore && !note.messageBefore.empty()) {
    status = spooler.SetAcceptingJobs(name, false, note.messageBefore);
  }
  return status;
}

}  // namespace

HolderJudge SystemHolderJudge() {
  // Who this run is (its machine id, boot and start) stays the same while it lives: it is
  // read once, not at every pause, renewal and restore.
  static const platform::RunIdentity kSelf = platform::CurrentRun();
  HolderJudge judge;
  judge.self = kSelf;
  judge.stateOf = platform::StateOfRun;
  judge.runOf = platform::RunOfProcess;
  judge.now = static_cast<int64_t>(std::time(nullptr));
  return judge;
}

SysStatus HoldQueue(platform::Spooler& spooler, const std::string& name, const HolderJudge& judge,
                    bool refuseJobs, bool& messageCut) {
  messageCut = false;
  auto current = spooler.GetQueue(name);
  if (!current) return SysStatus::Fail(current.call(), current.error());
  const platform::SpoolerQueue& queue = current.value();

  ParkNote note;
  const auto held = NoteOf(queue);
  if (held) {
    // Another run holds it, or one that died left it: the state from before is the one its
    // note keeps, never what that run made of the queue.
    note = *held;
    KeepLiveOthers(note, judge);
  } else {
    note.pausedBefore = queue.paused;
    note.messageBefore = queue.stateMessage;
  }
  note.holders.push_back({judge.self, judge.now});
  const bool willRefuse = refuseJobs && queue.acceptingJobs;
  if (willRefuse) note.acceptedJobs = true;

  std::string text = ParkNoteText(note);
  if (text.size() > kLongestNote) {
    // The first run keeps as much of the queue's message as fits beside it; a run that
    // finds the note full is not named, and must not download.
    if (held || text.size() - note.messageBefore.size() >= kLongestNote) {
      return SysStatus::Fail("queue-note", ENOSPC);
    }
    note.messageBefore = CutAtCharacter(note.messageBefore,
                                        note.messageBefore.size() - (text.size() - kLongestNote));
    messageCut = true;
    text = ParkNoteText(note);
  }
  if (willRefuse) {
    // It refuses jobs before it pauses, so that none slips in between; the request carries
    // the note, or the scheduler would put its own words in the state message.
    if (auto status = spooler.SetAcceptingJobs(name, false, text); !status) return status;
  }
  auto paused = spooler.PauseQueue(name, text);
  // A queue that could not be paused is not held: it takes jobs again as it did before.
  if (!paused && willRefuse) spooler.SetAcceptingJobs(name, true, note.messageBefore);
  return paused;
}

SysStatus RenewQueue(platform::Spooler& spooler, const std::string& name,
                     const HolderJudge& judge) {
  auto live = ReadLiveNote(spooler, name, judge);
  if (!live) return SysStatus::Fail(live.call(), live.error());
  auto& note = live.value().note;
  if (!note) return platform::OkStatus();
  note->holders.push_back({judge.self, judge.now});
  const std::string text = ParkNoteText(*note);
  if (text.size() > kLongestNote) return SysStatus::Fail("queue-note", ENOSPC);
  return spooler.PauseQueue(name, text);
}

SysStatus ReleaseQueue(platform::Spooler& spooler, const std::string& name,
                       const HolderJudge& judge) {
  auto live = ReadLiveNote(spooler, name, judge);
  if (!live) return SysStatus::Fail(live.call(), live.error());
  const auto& note = live.value().note;
  if (!note || !live.value().namedSelf) return platform::OkStatus();
  if (!note->holders.empty()) return spooler.PauseQueue(name, ParkNoteText(*note));
  return RestoreBefore(spooler, live.value().queue, *note);
}

std::string ResumeQueuesOfEndedRuns(platform::Spooler& spooler, const HolderJudge& judge) {
  // Most starts find no queue held by a run that is gone, and then take no lock. A queue
  // that was found is read again under the lock: another start may have put it back since.
  auto hasEnded = [&](ParkNote note) {
    const size_t named = note.holders.size() + note.earlierHolders.size();
    NameEarlierHolders(note, judge);
    std::erase_if(note.holders, [&](const NoteHolder& h) { return !StillHolds(h, judge); });
    return note.holders.size() < named;
  };
  std::vector<std::string> leftBehind;
  auto queues = spooler.ListQueues();
  if (!queues) return {};
  for (const auto& queue : queues.value()) {
    auto note = NoteOf(queue);
    if (note && hasEnded(*note)) leftBehind.push_back(queue.name);
  }
  if (leftBehind.empty()) return {};
  const platform::QueueNoteLock lock;
  for (const std::string& name : leftBehind) {
    auto current = spooler.GetQueue(name);
    if (!current) continue;
    auto note = NoteOf(current.value());
    if (!note || !hasEnded(*note)) continue;
    NameEarlierHolders(*note, judge);
    std::erase_if(note->holders, [&](const NoteHolder& h) { return !StillHolds(h, judge); });
    if (note->holders.empty()) {
      RestoreBefore(spooler, current.value(), *note);
    } else {
      spooler.PauseQueue(name, ParkNoteText(*note));
    }
  }
  return lock.problem();
}

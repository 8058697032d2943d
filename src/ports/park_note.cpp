#include "ports/park_note.h"

#include <cstdlib>

namespace {
constexpr std::string_view kPrefix = "vrtqlx (process ";
constexpr std::string_view kPaused = "): paused for a firmware download";
constexpr std::string_view kAccepted = ", accepting jobs before";
// A process id has at most this many digits here; anything longer is no note of ours.
constexpr size_t kLongestId = 10;
}  // namespace

std::string ParkNoteText(const ParkNote& note) {
  std::string text(kPrefix);
  text += std::to_string(note.processId);
  text += kPaused;
  if (note.acceptedJobs) text += kAccepted;
  return text;
}

std::optional<ParkNote> ReadParkNote(const std::string& message) {
  std::string_view text(message);
  if (text.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
  text.remove_prefix(kPrefix.size());
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits == 0 || digits > kLongestId) return std::nullopt;
  ParkNote note;
  note.processId = std::strtol(std::string(text.substr(0, digits)).c_str(), nullptr, 10);
  text.remove_prefix(digits);
  if (text.substr(0, kPaused.size()) != kPaused || note.processId <= 0) return std::nullopt;
  text.remove_prefix(kPaused.size());
  if (text == kAccepted) {
    note.acceptedJobs = true;
  } else if (!text.empty()) {
    return std::nullopt;
  }
  return note;
}

void ResumeQueuesOfEndedRuns(platform::Spooler& spooler, bool (*isRunning)(long processId)) {
  for (const auto& queue : spooler.ListQueues()) {
    if (!queue.paused) continue;
    auto note = ReadParkNote(queue.stateMessage);
    if (!note || isRunning(note->processId)) continue;
    spooler.ResumeQueue(queue.name);
    if (note->acceptedJobs) spooler.SetAcceptingJobs(queue.name, true);
  }
}

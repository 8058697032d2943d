#include "ports/park_note.h"

#include <cstdlib>
#include <string_view>

namespace {
constexpr std::string_view kOne = "vrtqlx (process ";
constexpr std::string_view kMany = "vrtqlx (processes ";
constexpr std::string_view kPaused = "): paused for a firmware download";
constexpr std::string_view kAccepted = ", accepting jobs before";
constexpr std::string_view kPausedBefore = ", paused before";
// The message before comes last: it is the administrator's text and may hold anything.
constexpr std::string_view kMessageBefore = ", its message before: ";
// A process id has at most this many digits here; anything longer is no note of ours.
constexpr size_t kLongestId = 10;
// A scheduler keeps a state message of about a kilobyte: the holders and the message
// before are bounded so that the whole note always fits.
constexpr size_t kMostHolders = 32;
constexpr size_t kLongestMessageBefore = 480;

bool Take(std::string_view& text, std::string_view part) {
  if (text.substr(0, part.size()) != part) return false;
  text.remove_prefix(part.size());
  return true;
}

std::optional<long> TakeId(std::string_view& text) {
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits == 0 || digits > kLongestId) return std::nullopt;
  const long id = std::strtol(std::string(text.substr(0, digits)).c_str(), nullptr, 10);
  text.remove_prefix(digits);
  if (id <= 0) return std::nullopt;
  return id;
}
}  // namespace

std::string ParkNoteText(const ParkNote& note) {
  std::string text(note.holders.size() > 1 ? kMany : kOne);
  const size_t shown = note.holders.size() < kMostHolders ? note.holders.size() : kMostHolders;
  for (size_t i = 0; i < shown; ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(note.holders[i]);
  }
  text += kPaused;
  if (note.acceptedJobs) text += kAccepted;
  if (note.pausedBefore) text += kPausedBefore;
  if (!note.messageBefore.empty()) {
    text += kMessageBefore;
    text += note.messageBefore.substr(0, kLongestMessageBefore);
  }
  return text;
}

std::optional<ParkNote> ReadParkNote(const std::string& message) {
  std::string_view text(message);
  const bool many = Take(text, kMany);
  if (!many && !Take(text, kOne)) return std::nullopt;
  ParkNote note;
  do {
    if (note.holders.size() == kMostHolders) return std::nullopt;
    auto id = TakeId(text);
    if (!id) return std::nullopt;
    note.holders.push_back(*id);
  } while (many && Take(text, ", "));
  if (!Take(text, kPaused)) return std::nullopt;
  note.acceptedJobs = Take(text, kAccepted);
  note.pausedBefore = Take(text, kPausedBefore);
  if (Take(text, kMessageBefore)) {
    if (text.empty() || text.size() > kLongestMessageBefore) return std::nullopt;
    note.messageBefore = std::string(text);
    text = {};
  }
  if (!text.empty()) return std::nullopt;
  return note;
}

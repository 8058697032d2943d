#include "ports/park_note.h"

#include <string_view>

namespace {
constexpr std::string_view kRuns = "vrtqlx (runs ";
constexpr std::string_view kOne = "vrtqlx (process ";
constexpr std::string_view kMany = "vrtqlx (processes ";
constexpr std::string_view kPaused = "): paused for a firmware download";
constexpr std::string_view kRenewed = " renewed ";
constexpr std::string_view kAccepted = ", accepting jobs before";
constexpr std::string_view kPausedBefore = ", paused before";
// The message before comes last: it is the administrator's text and may hold anything.
constexpr std::string_view kMessageBefore = ", its message before: ";
// A process id has at most this many digits here; anything longer is no note of ours.
constexpr size_t kLongestId = 9;
constexpr size_t kLongestNumber = 19;
constexpr size_t kLongestHost = 40;

bool Take(std::string_view& text, std::string_view part) {
  if (text.substr(0, part.size()) != part) return false;
  text.remove_prefix(part.size());
  return true;
}

std::optional<uint64_t> TakeNumber(std::string_view& text, size_t longest) {
  size_t digits = 0;
  uint64_t value = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    if (++digits > longest) return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(text[digits - 1] - '0');
  }
  if (digits == 0) return std::nullopt;
  text.remove_prefix(digits);
  return value;
}

std::optional<long> TakeId(std::string_view& text) {
  auto id = TakeNumber(text, kLongestId);
  if (!id || *id == 0) return std::nullopt;
  return static_cast<long>(*id);
}

std::optional<std::string> TakeHost(std::string_view& text) {
  size_t length = 0;
  while (length < text.size() &&
         ((text[length] >= '0' && text[length] <= '9') ||
          (text[length] >= 'a' && text[length] <= 'z') || text[length] == '-')) {
    if (++length > kLongestHost) return std::nullopt;
  }
  if (length == 0) return std::nullopt;
  std::string host(text.substr(0, length));
  text.remove_prefix(length);
  return host;
}

bool SameGroup(const NoteHolder& a, const NoteHolder& b) {
  return a.run.host == b.run.host && a.run.pidNamespace == b.run.pidNamespace;
}

// "HOST/NS renewed T: PID.START, PID.START ..." of one machine and PID namespace.
bool TakeGroup(std::string_view& text, std::vector<NoteHolder>& holders) {
  NoteHolder holder;
  auto host = TakeHost(text);
  if (!host || !Take(text, "/")) return false;
  holder.run.host = *host;
  auto space = TakeNumber(text, kLongestNumber);
  if (!space || !Take(text, kRenewed)) return false;
  holder.run.pidNamespace = *space;
  auto renewed = TakeNumber(text, kLongestNumber);
  if (!renewed || !Take(text, ": ")) return false;
  holder.renewed = static_cast<int64_t>(*renewed);
  do {
    auto id = TakeId(text);
    if (!id || !Take(text, ".")) return false;
    auto start = TakeNumber(text, kLongestNumber);
    if (!start) return false;
    holder.run.processId = *id;
    holder.run.startTime = *start;
    holders.push_back(holder);
  } while (Take(text, ", "));
  return true;
}
}  // namespace

std::string ParkNoteText(const ParkNote& note) {
  std::string text(kRuns);
  std::vector<bool> written(note.holders.size(), false);
  for (size_t first = 0; first < note.holders.size(); ++first) {
    if (written[first]) continue;
    const NoteHolder& group = note.holders[first];
    int64_t renewed = group.renewed;
    for (size_t i = first; i < note.holders.size(); ++i) {
      if (SameGroup(note.holders[i], group) && note.holders[i].renewed > renewed) {
        renewed = note.holders[i].renewed;
      }
    }
    if (first > 0) text += "; ";
    text += group.run.host + "/" + std::to_string(group.run.pidNamespace);
    text += std::string(kRenewed) + std::to_string(renewed < 0 ? 0 : renewed) + ": ";
    bool firstMember = true;
    for (size_t i = first; i < note.holders.size(); ++i) {
      if (written[i] || !SameGroup(note.holders[i], group)) continue;
      written[i] = true;
      if (!firstMember) text += ", ";
      firstMember = false;
      text += std::to_string(note.holders[i].run.processId) + "." +
              std::to_string(note.holders[i].run.startTime);
    }
  }
  text += kPaused;
  if (note.acceptedJobs) text += kAccepted;
  if (note.pausedBefore) text += kPausedBefore;
  if (!note.messageBefore.empty()) {
    text += kMessageBefore;
    text += note.messageBefore;
  }
  return text;
}

std::optional<ParkNote> ReadParkNote(const std::string& message) {
  if (message.size() > kLongestNote) return std::nullopt;
  std::string_view text(message);
  ParkNote note;
  if (Take(text, kRuns)) {
    do {
      if (!TakeGroup(text, note.holders)) return std::nullopt;
    } while (Take(text, "; "));
  } else {
    // The earlier form: "vrtqlx (process 42)" or "vrtqlx (processes 42, 43)".
    const bool many = Take(text, kMany);
    if (!many && !Take(text, kOne)) return std::nullopt;
    do {
      auto id = TakeId(text);
      if (!id) return std::nullopt;
      note.earlierHolders.push_back(*id);
    } while (many && Take(text, ", "));
  }
  if (!Take(text, kPaused)) return std::nullopt;
  note.acceptedJobs = Take(text, kAccepted);
  note.pausedBefore = Take(text, kPausedBefore);
  if (Take(text, kMessageBefore)) {
    if (text.empty()) return std::nullopt;
    note.messageBefore = std::string(text);
    text = {};
  }
  if (!text.empty()) return std::nullopt;
  return note;
}

std::string CutAtCharacter(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = limit;
  // Back over continuation bytes (10xxxxxx) to the first byte of the cut character.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

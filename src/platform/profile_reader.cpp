#include "platform/profile_reader.h"

#include <algorithm>
#include <limits>

namespace platform {

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string_view CutAtNul(std::string_view value) {
  return value.substr(0, value.find('\0'));
}

}  // namespace

ProfileReader::ProfileReader(std::string_view text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.remove_prefix(kByteOrderMark.size());
  }
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::string_view inside = line.substr(1);
      sections_.push_back(Section{std::string(Trim(inside.substr(0, inside.find(']')))), {}});
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || sections_.empty()) continue;
    sections_.back().entries.emplace_back(
        std::string(Trim(line.substr(0, equals))),
        std::string(CutAtNul(Unquote(Trim(line.substr(equals + 1))))));
  }
}

const std::string* ProfileReader::Find(std::string_view section, std::string_view key) const {
  for (const Section& candidate : sections_) {
    if (!EqualIgnoringCase(candidate.name, section)) continue;
    for (const auto& [name, value] : candidate.entries) {
      if (EqualIgnoringCase(name, key)) return &value;
    }
    return nullptr;
  }
  return nullptr;
}

std::string ProfileReader::TextString(std::string_view section, std::string_view key,
                                      std::string_view fallback) const {
  const std::string* value = Find(section, key);
  return value ? *value : std::string(fallback);
}

int32_t ProfileReader::TextInt(std::string_view section, std::string_view key,
                               int32_t fallback) const {
  const std::string* value = Find(section, key);
  if (value == nullptr || value->empty()) return fallback;
  std::string_view text = *value;
  bool negative = false;
  if (text.front() == '-' || text.front() == '+') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int64_t magnitude = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    magnitude = std::min<int64_t>(magnitude * 10 + (c - '0'), kLimit);
  }
  const int64_t signedValue = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(std::clamp<int64_t>(signedValue, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace platform

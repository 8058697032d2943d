#include "query_responder.h"

#include <algorithm>
#include <array>

namespace {
constexpr std::array<uint8_t, 3> kVersionQuery{0x1D, 0x49, 0x41};
constexpr std::array<uint8_t, 5> kFpgaQuery{0x08, 0x13, 0x25, 0x01, 0x02};

template <size_t N>
bool EndsWith(const std::vector<uint8_t>& bytes, const std::array<uint8_t, N>& tail) {
  return bytes.size() >= N && std::equal(tail.begin(), tail.end(), bytes.end() - N);
}
}  // namespace

QueryResponder::QueryResponder(std::string versionText, char fpgaDigit)
    : versionText_(std::move(versionText)), fpgaDigit_(fpgaDigit) {}

std::vector<uint8_t> QueryResponder::Feed(const uint8_t* data, size_t length) {
  std::vector<uint8_t> answer;
  for (size_t i = 0; i < length; ++i) {
    recent_.push_back(data[i]);
    if (recent_.size() > kFpgaQuery.size()) recent_.erase(recent_.begin());
    if (EndsWith(recent_, kVersionQuery)) {
      answer.push_back(kVersionHeader);
      answer.insert(answer.end(), versionText_.begin(), versionText_.end());
      answer.push_back(0);
      recent_.clear();
    } else if (EndsWith(recent_, kFpgaQuery)) {
      answer.insert(answer.end(), {'_', static_cast<uint8_t>(fpgaDigit_), 0, 0, 0});
      recent_.clear();
    }
  }
  return answer;
}

#include "platform/profile_reader.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/file_system.h"

namespace platform {

namespace {
// Longest value handed back; a longer one is cut, as the system's reader does.
constexpr DWORD kLongestValue = 4096;
}  // namespace

// The system's own profile reader answers, from the file itself (it also reads a file saved
// as UTF-16); the open file is read first so that an unreadable or oversized file fails as on
// every other system.
SysResult<ProfileReader> ProfileReader::Read(File& file, const std::string& path) {
  auto text = ReadWholeFile(file, kMaxFileBytes);
  if (!text) return SysResult<ProfileReader>::Fail(text.call(), text.error());
  ProfileReader reader;
  reader.systemFile_ = path;
  // Without a backslash the system looks for the file in the Windows directory.
  std::replace(reader.systemFile_.begin(), reader.systemFile_.end(), '/', '\\');
  return SysResult<ProfileReader>::Ok(std::move(reader));
}

std::string ProfileReader::GetString(std::string_view section, std::string_view key,
                                     std::string_view fallback) const {
  if (systemFile_.empty()) return TextString(section, key, fallback);
  std::vector<char> value(kLongestValue);
  const DWORD length = GetPrivateProfileStringA(
      std::string(section).c_str(), std::string(key).c_str(), std::string(fallback).c_str(),
      value.data(), kLongestValue, systemFile_.c_str());
  return std::string(value.data(), length);
}

int32_t ProfileReader::GetInt(std::string_view section, std::string_view key,
                              int32_t fallback) const {
  if (systemFile_.empty()) return TextInt(section, key, fallback);
  return static_cast<int32_t>(GetPrivateProfileIntA(
      std::string(section).c_str(), std::string(key).c_str(), fallback, systemFile_.c_str()));
}

}  // namespace platform

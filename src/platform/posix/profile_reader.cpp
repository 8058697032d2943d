#include "platform/profile_reader.h"

#include "platform/file_system.h"

namespace platform {

// The program's own reader of the text, with the system's profile semantics.
SysResult<ProfileReader> ProfileReader::Read(File& file, const std::string& /*path*/) {
  auto text = ReadWholeFile(file, kMaxFileBytes);
  if (!text) return SysResult<ProfileReader>::Fail(text.call(), text.error());
  return SysResult<ProfileReader>::Ok(ProfileReader(text.value()));
}

std::string ProfileReader::GetString(std::string_view section, std::string_view key,
                                     std::string_view fallback) const {
  return TextString(section, key, fallback);
}

int32_t ProfileReader::GetInt(std::string_view section, std::string_view key,
                              int32_t fallback) const {
  return TextInt(section, key, fallback);
}

}  // namespace platform

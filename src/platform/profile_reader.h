#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sys_result.h"

namespace platform {

class File;

// Reads a profile (INI) file the way the classic private-profile functions do: section and
// key names match without regard to ASCII letter case, the first section of a name and the
// first key of a name in it win, values lose surrounding blanks and one pair of matching
// quotes, and a ";" or "=" inside a value is part of it (no inline comments). Lines may end
// in CR LF or LF; a UTF-8 byte-order mark at the start is skipped. Values are cut at a NUL
// byte, as a C string would be; otherwise any length is kept whole.
class ProfileReader {
 public:
  // Files larger than this are refused (EFBIG) rather than read without bound.
  static constexpr size_t kMaxFileBytes = 1u << 20;

  ProfileReader() = default;  // an empty profile: every read answers its fallback
  explicit ProfileReader(std::string_view text);

  // Reads the profile of `file`, the open file at `path` whose owner the caller checked.
  // Fails when it cannot be read, is not a regular file, or is too large. The caller keeps
  // `file` open while it asks for values: on Windows the system's own reader answers from
  // `path`, and the open file, shared for neither renaming nor removal, keeps that name on
  // the file that was checked.
  static SysResult<ProfileReader> Read(File& file, const std::string& path);

  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view fallback) const;
  // An optional sign and the leading decimal digits of the value, clamped to the 32-bit
  // range; a value without digits reads 0. `fallback` when the key is missing or empty.
  int32_t GetInt(std::string_view section, std::string_view key, int32_t fallback) const;

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
  };
  const std::string* Find(std::string_view section, std::string_view key) const;
  // The answers from the parsed text.
  std::string TextString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  int32_t TextInt(std::string_view section, std::string_view key, int32_t fallback) const;

  std::vector<Section> sections_;
  // Where the system's own profile reader takes the answers from, when it is used.
  std::string systemFile_;
};

}  // namespace platform

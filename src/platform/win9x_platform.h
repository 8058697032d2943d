#pragma once

#include <cstdint>

namespace platform {

// The rule that tells the Windows 95/98/Me family from the packed platform version word:
// low byte major version, second byte minor version, top bit set outside the NT family,
// the build number in the high bits.
bool IsWin9xVersionWord(uint32_t versionWord);

// Always false here: this system is no member of that family. Callers keep the question
// so that their larger read time-outs for that family stay in one place.
bool IsWin9xPlatform();

}  // namespace platform

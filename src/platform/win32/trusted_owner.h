#pragma once

#include <windows.h>

namespace platform {

// Whether a file whose owner is `owner` may steer a run of the account `user`: only that
// account, the Administrators group and SYSTEM could have put it there.
bool IsTrustedOwner(PSID owner, PSID user);

}  // namespace platform

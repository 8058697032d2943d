#pragma once

#include <memory>

#include "platform/spooler.h"

namespace platform {

// A spooler that is not there: no queues, and nothing to change. What a build without CUPS
// sees, and a system where the CUPS library cannot be loaded.
std::unique_ptr<Spooler> CreateAbsentSpooler();

// The same, except that listing its queues fails with EHOSTUNREACH: for a caller that must
// tell "no queues" from "no scheduler to ask".
std::unique_ptr<Spooler> CreateUnreachableSpooler();

}  // namespace platform

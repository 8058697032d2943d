#pragma once

#include <cstdint>
#include <string>

#include "platform/sys_result.h"

namespace platform {

// The system's lookup of a host name: its first IPv4 address, in network byte order;
// false when the name has none.
using SystemHostLookup = bool (*)(const std::string& host, uint32_t& address);

// Looks `host` up with `lookUp` on a thread of its own, within `timeoutMs`: the system's
// lookup can neither be bounded nor interrupted, and a name server that never answers must
// not hold the run. Fails with ETIMEDOUT, EINTR on a stop request, EHOSTUNREACH for a name
// without an address.
SysResult<uint32_t> LookUpHostWithin(const std::string& host, int timeoutMs,
                                     SystemHostLookup lookUp);

}  // namespace platform

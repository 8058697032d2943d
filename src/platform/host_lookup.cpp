#include "platform/host_lookup.h"

#include <memory>

#include "platform/bounded_call.h"

namespace platform {

SysResult<uint32_t> LookUpHostWithin(const std::string& host, int timeoutMs,
                                     SystemHostLookup lookUp) {
  if (host.empty()) return SysResult<uint32_t>::Fail("getaddrinfo", EHOSTUNREACH);
  // Shared with the lookup's thread, which may outlive this call.
  struct Lookup {
    std::string host;
    bool found = false;
    uint32_t address = 0;
  };
  auto lookup = std::make_shared<Lookup>();
  lookup->host = host;
  const int waited = CallWithin(
      [lookup, lookUp] { lookup->found = lookUp(lookup->host, lookup->address); }, timeoutMs);
  if (waited != 0) return SysResult<uint32_t>::Fail("getaddrinfo", waited);
  if (!lookup->found) return SysResult<uint32_t>::Fail("getaddrinfo", EHOSTUNREACH);
  return SysResult<uint32_t>::Ok(lookup->address);
}

}  // namespace platform

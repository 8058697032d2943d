#include <windows.h>
// windows.h must come first.
#include <aclapi.h>

#include <vector>

#include "platform/file_handle.h"
#include "platform/win32/trusted_owner.h"

namespace platform {

namespace {

std::string AccountName(PSID sid) {
  char name[256];
  char domain[256];
  DWORD nameSize = sizeof name;
  DWORD domainSize = sizeof domain;
  SID_NAME_USE use{};
  if (LookupAccountSidA(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) {
    return domainSize > 0 ? std::string(domain) + "\\" + name : std::string(name);
  }
  return "another account";
}

// The account this process runs as, in `buffer`; nullptr when it cannot be read.
PSID CurrentUser(std::vector<BYTE>& buffer) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  buffer.resize(size);
  const bool read =
      size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) != FALSE;
  CloseHandle(token);
  return read ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid : nullptr;
}

}  // namespace

bool IsTrustedOwner(PSID owner, PSID user) {
  return (user != nullptr && EqualSid(owner, user)) ||
         IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
         IsWellKnownSid(owner, WinLocalSystemSid);
}

// Windows keeps who may write a file in its access list, not in bits: only the owner is
// checked, which is what decides who could have put the file there.
std::string File::WhyNotTrusted(FileTrust /*trust*/) const {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(reinterpret_cast<HANDLE>(fd_), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                      &owner, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return "cannot be checked (no owner can be read)";
  }
  std::vector<BYTE> user;
  const std::string why =
      IsTrustedOwner(owner, CurrentUser(user)) ? "" : "belongs to " + AccountName(owner);
  LocalFree(descriptor);
  return why;
}

}  // namespace platform

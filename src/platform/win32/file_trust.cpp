#include <windows.h>
// windows.h must come first.
#include <aclapi.h>

#include <vector>

#include "platform/file_handle.h"

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

bool IsCurrentUser(PSID sid) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> user(size);
  const bool same = size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
                    EqualSid(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, sid);
  CloseHandle(token);
  return same;
}

}  // namespace

// Windows keeps who may write a file in its access list, not in bits: only the owner is
// checked, which is what decides who could have put the file there.
std::string File::WhyNotTrusted(FileTrust /*trust*/) const {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(reinterpret_cast<HANDLE>(fd_), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                      &owner, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return "cannot be checked (no owner can be read)";
  }
  std::string why;
  if (!IsCurrentUser(owner) && !IsWellKnownSid(owner, WinBuiltinAdministratorsSid) &&
      !IsWellKnownSid(owner, WinLocalSystemSid)) {
    why = "belongs to " + AccountName(owner);
  }
  LocalFree(descriptor);
  return why;
}

}  // namespace platform

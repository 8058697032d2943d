#include "platform/win32/owner_only_access.h"

#include <sddl.h>

#include <string>
#include <vector>

namespace platform {

OwnerOnlyAccess::OwnerOnlyAccess() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> user(size);
  char* sid = nullptr;
  if (size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid)) {
    // A protected list (P) with one entry: full access (FA) for the user, inherited by the
    // files and folders inside (OICI).
    const std::string access = std::string("D:P(A;OICI;FA;;;") + sid + ")";
    LocalFree(sid);
    ConvertStringSecurityDescriptorToSecurityDescriptorA(access.c_str(), SDDL_REVISION_1,
                                                         &descriptor_, nullptr);
  }
  CloseHandle(token);
}

OwnerOnlyAccess::~OwnerOnlyAccess() {
  if (descriptor_) LocalFree(descriptor_);
}

SECURITY_ATTRIBUTES* OwnerOnlyAccess::attributes() {
  if (!descriptor_) return nullptr;
  attributes_ = {sizeof attributes_, descriptor_, FALSE};
  return &attributes_;
}

}  // namespace platform

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/win32/device_registry.h"
#include "platform/win32/errors.h"

namespace platform {

namespace {
// A device instance name is far shorter; anything longer is no value of ours.
constexpr DWORD kLongestValue = 4096;
}  // namespace

SysResult<RegistryValue> Win32DeviceRegistry::ReadValue(const std::string& keyName,
                                                        const std::string& valueName) const {
  HKEY key = nullptr;
  // Reading is all the lookup needs, so the key is opened for reading only.
  const LONG opened = RegOpenKeyExA(hive_, keyName.c_str(), 0, KEY_QUERY_VALUE, &key);
  if (opened != ERROR_SUCCESS) {
    return SysResult<RegistryValue>::Fail("RegOpenKeyExA", ErrnoFromWin32(opened));
  }
  std::vector<char> data(kLongestValue);
  DWORD size = kLongestValue;
  DWORD type = 0;
  const LONG read = RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(data.data()), &size);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS) {
    return SysResult<RegistryValue>::Fail("RegQueryValueExA", ErrnoFromWin32(read));
  }
  RegistryValue value;
  value.text.assign(data.data(), std::min<DWORD>(size, kLongestValue));
  // A stored string carries its terminator.
  if (!value.text.empty() && value.text.back() == '\0') value.text.pop_back();
  value.plainString = type == REG_SZ;
  return SysResult<RegistryValue>::Ok(std::move(value));
}

std::shared_ptr<const DeviceRegistry> SystemDeviceRegistry() {
  return std::make_shared<Win32DeviceRegistry>();
}

}  // namespace platform

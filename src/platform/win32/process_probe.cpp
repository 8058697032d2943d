#include <windows.h>

#include <string>

#include "platform/process_probe.h"

namespace platform {

namespace {
// The file name of a program's image, without its directory, in lower case.
std::string ImageName(const char* path, DWORD length) {
  std::string name(path, length);
  const size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return name;
}
}  // namespace

long CurrentProcessId() {
  return static_cast<long>(GetCurrentProcessId());
}

bool IsRunningInstance(long processId) {
  if (processId <= 0) return false;
  if (processId == CurrentProcessId()) return true;
  HANDLE process =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD exitCode = 0;
  const bool running = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
  char other[MAX_PATH];
  DWORD otherLength = MAX_PATH;
  const bool named = QueryFullProcessImageNameA(process, 0, other, &otherLength) != 0;
  CloseHandle(process);
  if (!running) return false;
  if (!named) return true;
  char own[MAX_PATH];
  const DWORD ownLength = GetModuleFileNameA(nullptr, own, MAX_PATH);
  return ImageName(own, ownLength) == ImageName(other, otherLength);
}

}  // namespace platform

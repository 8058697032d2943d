#include "platform/standard_streams.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace platform {

namespace {
bool Usable(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Points the standard stream `fd` (and its C stream) at the console's output.
void ToConsole(DWORD which, int fd, FILE* stream) {
  HANDLE console =
      CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return;
  SetStdHandle(which, console);
  const int opened = _open_osfhandle(reinterpret_cast<intptr_t>(console), _O_TEXT);
  if (opened < 0) return;
  if (opened != fd) {
    _dup2(opened, fd);
    _close(opened);
  }
  std::fflush(stream);
  std::setvbuf(stream, nullptr, stream == stderr ? _IONBF : _IOLBF, BUFSIZ);
}
}  // namespace

void PrepareStandardStreams() {
  const bool output = Usable(STD_OUTPUT_HANDLE);
  const bool error = Usable(STD_ERROR_HANDLE);
  if (output && error) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!output) ToConsole(STD_OUTPUT_HANDLE, 1, stdout);
  if (!error) ToConsole(STD_ERROR_HANDLE, 2, stderr);
}

}  // namespace platform

#include "platform/standard_streams.h"

#include <windows.h>

namespace platform {

namespace {
bool Usable(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Makes the console's output the standard stream `which`. Everything the program says goes
// through the standard handles (WriteText), not the C library's descriptors, which a
// window program started without a console never gets.
void ToConsole(DWORD which) {
  HANDLE console =
      CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (console != INVALID_HANDLE_VALUE) SetStdHandle(which, console);
}
}  // namespace

void PrepareStandardStreams() {
  const bool output = Usable(STD_OUTPUT_HANDLE);
  const bool error = Usable(STD_ERROR_HANDLE);
  if (output && error) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!output) ToConsole(STD_OUTPUT_HANDLE);
  if (!error) ToConsole(STD_ERROR_HANDLE);
}

}  // namespace platform

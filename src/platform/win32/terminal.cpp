#include "platform/terminal.h"

#include <io.h>
#include <windows.h>

#include <algorithm>

namespace platform {

bool IsTerminal(int fd) {
  return _isatty(fd) != 0;
}

void WriteText(int fd, std::string_view text) {
  while (!text.empty()) {
    const int put =
        _write(fd, text.data(), static_cast<unsigned>(std::min<size_t>(text.size(), 1u << 20)));
    if (put <= 0) return;
    text.remove_prefix(static_cast<size_t>(put));
  }
}

int TerminalColumns(int fd) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  if (handle == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(handle, &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

}  // namespace platform

#include "platform/terminal.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace platform {

namespace {
HANDLE StandardHandle(int fd) {
  return GetStdHandle(fd == kStandardOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

// A console shows UTF-16; the program's texts are UTF-8.
void WriteConsoleText(HANDLE console, std::string_view text) {
  constexpr size_t kPiece = 1 << 16;
  while (!text.empty()) {
    size_t take = std::min(text.size(), kPiece);
    // Never split a character between two pieces.
    while (take < text.size() && take > 0 &&
           (static_cast<unsigned char>(text[take]) & 0xC0) == 0x80) {
      --take;
    }
    if (take == 0) take = std::min(text.size(), kPiece);
    const int units =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(take), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(units, 0)), L'\0');
    if (units > 0) {
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(take), wide.data(), units);
    }
    DWORD written = 0;
    if (!wide.empty() &&
        !WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) {
      return;
    }
    text.remove_prefix(take);
  }
}
}  // namespace

bool IsTerminal(int fd) {
  return IsConsole(StandardHandle(fd));
}

void WriteText(int fd, std::string_view text) {
  HANDLE handle = StandardHandle(fd);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  if (IsConsole(handle)) return WriteConsoleText(handle, text);
  while (!text.empty()) {
    DWORD put = 0;
    const auto piece = static_cast<DWORD>(std::min<size_t>(text.size(), 1u << 20));
    if (!WriteFile(handle, text.data(), piece, &put, nullptr) || put == 0) return;
    text.remove_prefix(put);
  }
}

int TerminalColumns(int fd) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(StandardHandle(fd), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

}  // namespace platform

#pragma once

#include <string_view>

namespace platform {

// The descriptors of the process's standard output and error.
inline constexpr int kStandardOutput = 1;
inline constexpr int kStandardError = 2;

// True when `fd` is open on a terminal (a tty or a pseudo-terminal, a console window).
bool IsTerminal(int fd);

// Writes `text` to `fd` (standard output or error) as far as it goes; a stream that refuses
// it has no one to tell. Everything the program says to its caller goes this one way, so
// that it reaches the caller's console or pipe however the program was started.
void WriteText(int fd, std::string_view text);

// The width of the terminal `fd` is, in columns; 0 when it cannot be told.
int TerminalColumns(int fd);

}  // namespace platform

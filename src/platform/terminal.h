#pragma once

#include <string_view>

namespace platform {

// The descriptor of the process's standard error.
inline constexpr int kStandardError = 2;

// True when `fd` is open on a terminal (a tty or a pseudo-terminal, a console window).
bool IsTerminal(int fd);

// Writes `text` to `fd` as far as it goes; a stream that refuses it has no one to tell.
void WriteText(int fd, std::string_view text);

// The width of the terminal `fd` is, in columns; 0 when it cannot be told.
int TerminalColumns(int fd);

}  // namespace platform

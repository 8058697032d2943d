#pragma once

// Whether this process can show the operator's window. A start that would run
// interactively without it says so on standard error and ends with
// kNoInteractiveWindowExitCode instead of waiting for an operator who cannot be reached.
enum class InteractiveWindow { kAvailable, kUnavailable };

#pragma once

#include <functional>

// Whether this process can show the operator's window. A start that would run
// interactively without it says so on standard error and ends with
// kNoInteractiveWindowExitCode instead of waiting for an operator who cannot be reached.
enum class InteractiveWindow { kAvailable, kUnavailable };

// Opens the window system for the operator's window; false when there is none to be had
// (it has said why on standard error). Called only once a run turns out to be interactive,
// so that silent runs never touch a window system.
using InteractiveWindowOpener = std::function<bool()>;

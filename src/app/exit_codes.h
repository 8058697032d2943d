#pragma once

// Process exit codes beside 0 for a normal end.
inline constexpr int kInvalidParametersExitCode = 1;  // also a cancelled model choice
inline constexpr int kSilentDownloadFailedExitCode = 2;
inline constexpr int kNoInteractiveWindowExitCode = 3;

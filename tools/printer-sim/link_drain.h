#pragma once

#include "capture.h"
#include "sim_options.h"

// Takes what arrives on `fd` for at most `longestMs`, ending early after `quietMs` without
// a byte, or when `signalFd` (when not -1) reports a stop signal. Never reads past a
// printer's --stop-after / --close-after.
void TakeFor(int fd, int signalFd, const SimOptions& options, Capture& capture, int quietMs,
             int longestMs);

// Takes what is still arriving once a stop signal has come: a device node whose host side
// cannot be seen closing may hold bytes the host had already handed over.
void TakeWhatArrives(int fd, const SimOptions& options, Capture& capture);

#pragma once

#include "capture.h"
#include "sim_options.h"

// Takes what is still arriving on `fd` once a stop signal has come: a device node whose
// host side cannot be seen closing may hold bytes the host had already handed over. Ends
// after a quiet spell, and never reads past a printer's --stop-after / --close-after.
void TakeWhatArrives(int fd, const SimOptions& options, Capture& capture);

#pragma once

#include "capture.h"
#include "sim_options.h"

// Each link prints "ready <address or device path>" once it can be used, then takes one
// peer's bytes until that peer goes away or a stop signal arrives. 0 on success, else a
// message has gone to standard error.
int ServeTcp(const SimOptions& options, int signalFd, Capture& capture);
// A pseudo-terminal pair; the peer opens the printed device path (serial line or device
// node). Queries are answered through it.
int ServePseudoTerminal(const SimOptions& options, int signalFd, Capture& capture);
// A FIFO at options.nodePath: one direction only, so queries go unanswered.
int ServeFifo(const SimOptions& options, int signalFd, Capture& capture);
// The printer side of a USB printer gadget (/dev/g_printerN): the host's usblp writes
// reach it; replies go back through the same node. The host's closing is not seen here,
// so a stop signal ends the run, after what had already arrived has been taken.
int ServeGadgetPrinter(const SimOptions& options, int signalFd, Capture& capture);
// A tty node in raw mode, such as a serial gadget's /dev/ttyGS0, with the line events
// (DSR dropped by closing the node, XOFF / XON). Ends on a stop signal, as above.
int ServeTtyNode(const SimOptions& options, int signalFd, Capture& capture);

// Prints one line on standard output and flushes it.
void PrintLine(const std::string& line);

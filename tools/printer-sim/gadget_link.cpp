#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link_drain.h"
#include "links.h"
#include "transfer_loop.h"

int ServeGadgetPrinter(const SimOptions& options, int signalFd, Capture& capture) {
  const int fd = ::open(options.nodePath.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    std::fprintf(stderr, "qlx-printer-sim: open %s: %s\n", options.nodePath.c_str(),
                 std::strerror(errno));
    return 1;
  }
  PrintLine("ready " + options.nodePath);
  // Ends on the stop signal, or when the gadget is unbound from its controller (the read
  // fails).
  TransferLoop(options, signalFd, capture).Run(fd, fd, nullptr);
  TakeWhatArrives(fd, options, capture);
  ::close(fd);
  return 0;
}

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "links.h"
#include "transfer_loop.h"

int ServePseudoTerminal(const SimOptions& options, int signalFd, Capture& capture) {
  int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char name[256] = {};
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
      ::ptsname_r(master, name, sizeof name) != 0) {
    std::fprintf(stderr, "qlx-printer-sim: pseudo-terminal: %s\n", std::strerror(errno));
    if (master >= 0) ::close(master);
    return 1;
  }
  // Held until the peer has sent something: while no one has the other side open the
  // pair reads as hung up, which would end the run before the peer arrives. Raw, so that
  // nothing the peer sends is echoed back or altered by a peer that sets no mode itself.
  int holder = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (holder < 0) {
    std::fprintf(stderr, "qlx-printer-sim: open %s: %s\n", name, std::strerror(errno));
    ::close(master);
    return 1;
  }
  termios mode{};
  ::tcgetattr(holder, &mode);
  ::cfmakeraw(&mode);
  ::tcsetattr(holder, TCSANOW, &mode);
  PrintLine(std::string("ready ") + name);
  TransferLoop(options, signalFd, capture).Run(master, master, [&holder] {
    ::close(holder);
    holder = -1;
  });
  if (holder >= 0) ::close(holder);
  ::close(master);
  return 0;
}

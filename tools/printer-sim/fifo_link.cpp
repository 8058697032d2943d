#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "links.h"
#include "transfer_loop.h"

int ServeFifo(const SimOptions& options, int signalFd, Capture& capture) {
  bool created = true;
  if (::mkfifo(options.nodePath.c_str(), 0600) != 0) {
    struct stat info {};
    if (errno != EEXIST || ::stat(options.nodePath.c_str(), &info) != 0 ||
        !S_ISFIFO(info.st_mode)) {
      std::fprintf(stderr, "qlx-printer-sim: mkfifo %s: %s\n", options.nodePath.c_str(),
                   std::strerror(errno));
      return 1;
    }
    created = false;
  }
  int fd = ::open(options.nodePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    std::fprintf(stderr, "qlx-printer-sim: open %s: %s\n", options.nodePath.c_str(),
                 std::strerror(errno));
    if (created) ::unlink(options.nodePath.c_str());
    return 1;
  }
  PrintLine("ready " + options.nodePath);
  TransferLoop(options, signalFd, capture).Run(fd, -1, nullptr);
  ::close(fd);
  if (created) ::unlink(options.nodePath.c_str());
  return 0;
}

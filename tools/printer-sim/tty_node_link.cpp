#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "link_drain.h"
#include "links.h"
#include "transfer_loop.h"

namespace {

constexpr uint8_t kXon = 0x11;
constexpr uint8_t kXoff = 0x13;

// Raw, so that nothing the host sends is echoed back or altered; CLOCAL, so that the
// host's closing does not hang the node up.
int OpenRaw(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    std::fprintf(stderr, "qlx-printer-sim: open %s: %s\n", path.c_str(), std::strerror(errno));
    return -1;
  }
  termios mode{};
  ::tcgetattr(fd, &mode);
  ::cfmakeraw(&mode);
  mode.c_cflag |= CLOCAL;
  ::tcsetattr(fd, TCSANOW, &mode);
  return fd;
}

// False when a stop signal came first.
bool WaitUnlessSignalled(int signalFd, uint64_t seconds) {
  pollfd entry{signalFd, POLLIN, 0};
  return ::poll(&entry, 1, static_cast<int>(seconds * 1000)) == 0;
}

void SendControl(int fd, uint8_t character) {
  if (::write(fd, &character, 1) != 1) {
    std::fprintf(stderr, "qlx-printer-sim: sending flow control: %s\n", std::strerror(errno));
  }
}

struct Step {
  SimOptions::LineEvent event;
  bool dropsDsr;
};

}  // namespace

int ServeTtyNode(const SimOptions& options, int signalFd, Capture& capture) {
  int fd = OpenRaw(options.nodePath);
  if (fd < 0) return 1;
  PrintLine("ready " + options.nodePath);
  std::vector<Step> steps;
  if (options.dsrDrop) steps.push_back({*options.dsrDrop, true});
  if (options.xoff) steps.push_back({*options.xoff, false});
  std::sort(steps.begin(), steps.end(),
            [](const Step& a, const Step& b) { return a.event.afterBytes < b.event.afterBytes; });
  int result = 0;
  for (const Step& step : steps) {
    // Exactly the bytes before the event are taken, so that the report can name them.
    SimOptions upToEvent = options;
    upToEvent.closeAfter = std::min(step.event.afterBytes, options.closeAfter.value_or(~0ull));
    TransferLoop(upToEvent, signalFd, capture).Run(fd, fd, nullptr);
    if (capture.ByteCount() < step.event.afterBytes) break;
    const std::string at = std::to_string(capture.ByteCount()) + " bytes for " +
                           std::to_string(step.event.seconds) + " s";
    if (step.dropsDsr) {
      // The node's closing is what lowers DSR (and DCD) at the host; whatever the gadget
      // had not handed over yet is lost with it, as with a printer switched off.
      ::close(fd);
      fd = -1;
      PrintLine("dsr low after " + at);
      const bool waited = WaitUnlessSignalled(signalFd, step.event.seconds);
      fd = OpenRaw(options.nodePath);
      if (fd < 0) result = 1;
      if (!waited || fd < 0) break;
      PrintLine("dsr high");
    } else {
      // Still reading: what arrives meanwhile was already on its way, or shows that the
      // host did not hold back.
      SendControl(fd, kXoff);
      PrintLine("xoff after " + at);
      const uint64_t before = capture.ByteCount();
      const int ms = static_cast<int>(step.event.seconds * 1000);
      TakeFor(fd, signalFd, options, capture, ms, ms);
      SendControl(fd, kXon);
      PrintLine("xon after " + std::to_string(capture.ByteCount() - before) + " bytes during xoff");
      if (!WaitUnlessSignalled(signalFd, 0)) break;
    }
  }
  if (fd >= 0) {
    TransferLoop(options, signalFd, capture).Run(fd, fd, nullptr);
    TakeWhatArrives(fd, options, capture);
    ::close(fd);
  }
  return result;
}

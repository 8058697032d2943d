// qlx-printer-sim: behaves like a printer on a TCP, serial or device-node link, so that
// the downloader can be tried and tested without one.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "capture.h"
#include "links.h"
#include "sim_options.h"

void PrintLine(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(
        "qlx-printer-sim: behaves like a VORTANE QLX printer on one link, stores what it\n"
        "receives in --out FILE and prints a summary line when the transfer ends.\n",
        stdout);
    std::fputs(kSimUsage, stdout);
    return 0;
  }
  std::string error;
  auto options = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "qlx-printer-sim: %s\n%s", error.c_str(), kSimUsage);
    return 2;
  }
  // SIGTERM and SIGINT end the run through a descriptor the links wait on, so the summary
  // is still printed; a peer that vanishes while a reply is sent must not kill us.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
  if (signalFd < 0) {
    std::perror("qlx-printer-sim: signalfd");
    return 1;
  }
  Capture capture;
  if (!capture.Open(options->outPath)) {
    std::fprintf(stderr, "qlx-printer-sim: cannot write %s\n", options->outPath.c_str());
    return 1;
  }
  int result = 0;
  switch (options->mode) {
    case SimMode::kTcp:
      result = ServeTcp(*options, signalFd, capture);
      break;
    case SimMode::kSerial:
      result = ServePseudoTerminal(*options, signalFd, capture);
      break;
    case SimMode::kNode:
      result = options->nodePath.empty() ? ServePseudoTerminal(*options, signalFd, capture)
                                         : ServeFifo(*options, signalFd, capture);
      break;
    case SimMode::kGadget:
      result = ServeGadgetPrinter(*options, signalFd, capture);
      break;
    case SimMode::kTty:
      result = ServeTtyNode(*options, signalFd, capture);
      break;
  }
  PrintLine(capture.Summary());
  close(signalFd);
  return result;
}

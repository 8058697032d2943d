#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A printer of the range connected by USB: its model (empty when its product is none the
// program can name), the node a download opens, its identifiers and the print queues a
// download would pause for it.
struct ListedUsbPrinter {
  std::string model;
  std::string node;
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  std::vector<std::string> queues;
};

// A serial or parallel line that is present: the port name a job names it by, "serial" or
// "parallel", the device the port map gives for it, and the queues that print to it.
struct ListedLine {
  std::string port;
  std::string kind;
  std::string device;
  std::vector<std::string> queues;
};

// What a station offers a download, found by looking only: no device is opened, no queue
// changed, nothing logged.
struct StationListing {
  std::vector<ListedUsbPrinter> usb;  // ordered by node
  std::vector<ListedLine> lines;      // COM1 ... COM255, then LPT1 ... LPT3
  std::vector<std::string> warnings;  // what could not be looked at, and why
};

StationListing ListStation();

// One line per printer or line, control characters escaped.
std::string StationListingText(const StationListing& listing);
// One JSON object: {"usb": [...], "lines": [...], "warnings": [...]}.
std::string StationListingJson(const StationListing& listing);

// "--list" (after any other option of the program's own): prints the listing, as JSON with
// `json`, and answers the exit code; `arguments` are what followed the options (index 0 is
// the program), which must be nothing.
int RunStationListing(bool json, const std::vector<std::string>& arguments);

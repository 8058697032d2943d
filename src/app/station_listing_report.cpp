#include <cstdio>

#include "app/event_log.h"
#include "app/json_text.h"
#include "app/station_listing.h"
#include "platform/terminal.h"

namespace {

std::string QueueText(const std::vector<std::string>& queues) {
  if (queues.empty()) return "no queues";
  std::string text = "queues ";
  for (const std::string& queue : queues) {
    if (&queue != &queues.front()) text += ", ";
    text += queue;
  }
  return text;
}

std::string HexId(uint16_t id) {
  char text[8];
  std::snprintf(text, sizeof text, "%04x", id);
  return text;
}

}  // namespace

std::string StationListingText(const StationListing& listing) {
  std::string text;
  for (const ListedUsbPrinter& printer : listing.usb) {
    const std::string line =
        "USB " + (printer.model.empty() ? std::string("(model unknown)") : printer.model) + " " +
        (printer.node.empty() ? std::string("(no printer node)") : printer.node) + " (" +
        HexId(printer.vendorId) + ":" + HexId(printer.productId) + "), " +
        QueueText(printer.queues);
    text += EscapeControls(line) + "\n";
  }
  for (const ListedLine& port : listing.lines) {
    text += EscapeControls(port.port + " " + port.kind + " " + port.device + ", " +
                           QueueText(port.queues)) +
            "\n";
  }
  if (text.empty()) text = "no printer of the range on USB and no serial or parallel line\n";
  return text;
}

std::string StationListingJson(const StationListing& listing) {
  std::string json = "{\"usb\": [";
  for (const ListedUsbPrinter& printer : listing.usb) {
    if (&printer != &listing.usb.front()) json += ", ";
    json += "{\"model\": " + JsonQuoted(printer.model) +
            ", \"port\": \"USB\", \"node\": " + JsonQuoted(printer.node) + ", \"vendor_id\": \"" +
            HexId(printer.vendorId) + "\", \"product_id\": \"" + HexId(printer.productId) +
            "\", \"queues\": " + JsonQuotedList(printer.queues) + "}";
  }
  json += "], \"lines\": [";
  for (const ListedLine& port : listing.lines) {
    if (&port != &listing.lines.front()) json += ", ";
    json += "{\"port\": " + JsonQuoted(port.port) + ", \"kind\": " + JsonQuoted(port.kind) +
            ", \"device\": " + JsonQuoted(port.device) +
            ", \"queues\": " + JsonQuotedList(port.queues) + "}";
  }
  return json + "], \"warnings\": " + JsonQuotedList(listing.warnings) + "}";
}

int RunStationListing(bool json, const std::vector<std::string>& arguments) {
  if (arguments.size() > 1) {
    platform::WriteText(platform::kStandardError, "vrtqlx: --list takes no job, so not " +
                                                      EscapeControls(arguments[1]) +
                                                      " (vrtqlx --help lists the options)\n");
    return 1;
  }
  const StationListing listing = ListStation();
  for (const std::string& warning : listing.warnings) {
    platform::WriteText(platform::kStandardError, "vrtqlx: " + EscapeControls(warning) + "\n");
  }
  const std::string out = json ? StationListingJson(listing) + "\n" : StationListingText(listing);
  platform::WriteText(platform::kStandardOutput, out);
  return 0;
}

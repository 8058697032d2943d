#include "sim_options.h"

#include <charconv>

const char* const kSimUsage =
    "usage: qlx-printer-sim tcp [--port N] --out FILE [misbehaviour]\n"
    "       qlx-printer-sim serial --out FILE [--version TEXT] [--fpga DIGIT] [misbehaviour]\n"
    "       qlx-printer-sim node --out FILE [--path FIFO] [--version TEXT] [--fpga DIGIT]"
    " [misbehaviour]\n"
    "       qlx-printer-sim gadget --path NODE --out FILE [--version TEXT] [--fpga DIGIT]"
    " [misbehaviour]\n"
    "       qlx-printer-sim tty --path NODE --out FILE [--version TEXT] [--fpga DIGIT]"
    " [misbehaviour] [line events]\n"
    "misbehaviour: --stop-after N  --close-after N  --silent  --slow BYTES_PER_S"
    " (or --rate)\n"
    "tcp only: --reset-after N  --send BYTES (sent back as the peer connects)\n"
    "line events (tty): --drop-dsr AFTER_BYTES,SECONDS  --xoff AFTER_BYTES,SECONDS\n";

namespace {

bool ParseNumber(const std::string& text, uint64_t& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// "AFTER_BYTES,SECONDS"
std::optional<SimOptions::LineEvent> ParseLineEvent(const std::string& text) {
  const size_t comma = text.find(',');
  SimOptions::LineEvent event;
  if (comma == std::string::npos || !ParseNumber(text.substr(0, comma), event.afterBytes) ||
      !ParseNumber(text.substr(comma + 1), event.seconds) || event.seconds > 3600) {
    return std::nullopt;
  }
  return event;
}

}  // namespace

std::optional<SimOptions> ParseSimOptions(const std::vector<std::string>& args,
                                          std::string& error) {
  if (args.empty()) {
    error = "missing mode";
    return std::nullopt;
  }
  SimOptions options;
  if (args[0] == "tcp") {
    options.mode = SimMode::kTcp;
  } else if (args[0] == "serial") {
    options.mode = SimMode::kSerial;
  } else if (args[0] == "node") {
    options.mode = SimMode::kNode;
  } else if (args[0] == "gadget") {
    options.mode = SimMode::kGadget;
  } else if (args[0] == "tty") {
    options.mode = SimMode::kTty;
  } else {
    error = "unknown mode: " + args[0];
    return std::nullopt;
  }
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& flag = args[i];
    if (flag == "--silent") {
      options.silent = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      error = "missing value for " + flag;
      return std::nullopt;
    }
    const std::string& value = args[++i];
    uint64_t number = 0;
    const bool numeric = ParseNumber(value, number);
    if (flag == "--out") {
      options.outPath = value;
    } else if (flag == "--path" && options.mode != SimMode::kTcp &&
               options.mode != SimMode::kSerial) {
      options.nodePath = value;
    } else if (flag == "--version" && options.mode != SimMode::kTcp) {
      options.versionText = value;
    } else if (flag == "--fpga" && options.mode != SimMode::kTcp) {
      if (value.size() != 1) {
        error = "--fpga takes one character";
        return std::nullopt;
      }
      options.fpgaDigit = value[0];
    } else if (flag == "--port" && options.mode == SimMode::kTcp && numeric && number <= 65535) {
      options.tcpPort = static_cast<uint16_t>(number);
    } else if (flag == "--stop-after" && numeric) {
      options.stopAfter = number;
    } else if (flag == "--close-after" && numeric) {
      options.closeAfter = number;
    } else if (flag == "--reset-after" && options.mode == SimMode::kTcp && numeric) {
      options.resetAfter = number;
    } else if (flag == "--send" && options.mode == SimMode::kTcp && numeric) {
      options.sendBytes = number;
    } else if ((flag == "--slow" || flag == "--rate") && numeric && number > 0) {
      options.bytesPerSecond = number;
    } else if (flag == "--drop-dsr" && options.mode == SimMode::kTty && ParseLineEvent(value)) {
      options.dsrDrop = ParseLineEvent(value);
    } else if (flag == "--xoff" && options.mode == SimMode::kTty && ParseLineEvent(value)) {
      options.xoff = ParseLineEvent(value);
    } else {
      error = "bad option: " + flag + " " + value;
      return std::nullopt;
    }
  }
  if (options.outPath.empty()) {
    error = "--out FILE is required";
    return std::nullopt;
  }
  if ((options.mode == SimMode::kGadget || options.mode == SimMode::kTty) &&
      options.nodePath.empty()) {
    error = "--path NODE is required";
    return std::nullopt;
  }
  return options;
}

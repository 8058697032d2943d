#pragma once

#include <string>

// How the download reaches the printer, told by the first characters of the port name.
enum class LinkClass {
  LocalPort,   // "COM…" or "LPT…"
  DevicePath,  // a leading backslash: USB interface paths and \\.\COMn names
  Network,     // anything else: the printer's IP address
};

LinkClass ClassifyLink(const std::string& portName);

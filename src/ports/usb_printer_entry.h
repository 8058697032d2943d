#pragma once

#include <string>

// A connected USB printer found by discovery: the short name the Port box shows
// ("USB001:") and the device-interface path the port is opened by.
struct UsbPrinterEntry {
  std::string name;
  std::string devicePath;
};

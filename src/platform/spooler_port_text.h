#pragma once

#include <string>

namespace platform {

// Whether a queue whose port text is `portText` prints to the download's port `portName`,
// whose device (from the port map) is `portDevice`. A substring test, as the spooler's own
// port lists are matched, so COM1 also matches a queue on COM10.
bool PortTextNamesPort(const std::string& portText, const std::string& portName,
                       const std::string& portDevice);

// Whether a queue whose port text is `portText` prints to exactly that port: its device is
// `portDevice` (or, where port texts are port names, it lists `portName`), not merely one
// whose name begins the same (/dev/ttyS1 is not /dev/ttyS10).
bool PortTextIsPort(const std::string& portText, const std::string& portName,
                    const std::string& portDevice);

// Whether a queue's port text is that of a USB printer.
bool PortTextIsUsb(const std::string& portText);

}  // namespace platform

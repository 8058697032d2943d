#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Text rules that the command line and the settings file share.

enum class PortKind { kCom, kLpt, kUsb, kNet, kNone };

// The kind a port value names by its beginning: "COM" or "\\.\COM" serial, "LPT" parallel,
// "USB", "NET"; anything else (the empty value included) none. `value` is in upper case.
PortKind ClassifyPortValue(std::string_view value);

// The name a serial port is opened by: "COM1" to "COM9" and names already beginning with
// "\\.\" stay as they are; longer "COM…" names get "\\.\" in front ("COM12" -> "\\.\COM12").
std::string SerialPortName(const std::string& value);

std::string ToUpperAscii(std::string text);

// The number formed by the leading decimal digits of `text` (0 when there are none),
// saturating at the largest 32-bit value so that any length of digits is safe.
int32_t LeadingDecimal(std::string_view text);

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/run_flags.h"
#include "ports/port_settings.h"

// Text rules that the command line and the settings file share.

enum class PortKind { kCom, kLpt, kUsb, kNet, kNone };

// The kind a port value names by its beginning: "COM" or "\\.\COM" serial, "LPT" parallel,
// "USB", "NET"; anything else (the empty value included) none. `value` is in upper case.
PortKind ClassifyPortValue(std::string_view value);

// The name a serial port is opened by: "COM1" to "COM9" and names already beginning with
// "\\.\" stay as they are; longer "COM…" names get "\\.\" in front ("COM12" -> "\\.\COM12").
std::string SerialPortName(const std::string& value);

// Writes what a port value settles into the job: the port name (the serial name, the
// parallel value or, for Ethernet, `address`), the default baud rate or TCP port, and the
// kind flags; a USB job's port stays unresolved until its printer is found. Answers the
// kind's name for the notice ("COM", "LPT", "USB", "NET"). `kind` is not kNone.
const char* SelectPort(PortKind kind, const std::string& value, const std::string& address,
                       PortSettings& port, RunFlags& flags);

std::string ToUpperAscii(std::string text);

// The model a firmware file's name begins with: the part before its first "_"
// ("TQR-03_V2.01_051710.fls": TQR-03); empty when the name has none.
std::string ModelOfFile(const std::string& name);

// A value as a reason on standard error shows it: whole when short, cut when a caller
// passed something huge.
std::string ShownValue(const std::string& value);

// The number formed by the leading decimal digits of `text` (0 when there are none),
// saturating at the largest 32-bit value so that any length of digits is safe.
int32_t LeadingDecimal(std::string_view text);

// A number written only in decimal digits (no sign, no blanks, nothing after it) that lies
// in [low, high]; nothing otherwise.
std::optional<int32_t> DecimalInRange(std::string_view text, int32_t low, int32_t high);

// The baud rates a serial job accepts: the rates every serial driver knows by name.
bool IsStandardBaudRate(int32_t rate);
// "110, 300, ..., 921600", for the reason of a refused rate.
std::string StandardBaudRateList();

// A printer address as the job uses it. A host name is taken as it is (it resolves at
// connect). An address written in numbers must be a dotted quad of four decimal numbers
// 0-255; it is answered in its plain form ("127.000.000.010" -> "127.0.0.10"), so that no
// lookup reads leading zeros as octal. Other numeric forms ("127.1", "2130706433",
// "0x7f.1", "300.1.1.1") give nothing.
std::optional<std::string> PrinterAddress(std::string_view text);

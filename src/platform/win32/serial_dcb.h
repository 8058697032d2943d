#pragma once

#include <windows.h>

#include <optional>

#include "platform/comm_timeouts.h"
#include "platform/serial_line.h"

namespace platform {

// The line state `settings` ask for, built on the state the driver reported: size, parity,
// stop bits and rate from the settings; DTR/DSR or XON/XOFF output flow, done by the driver;
// every other field as it was. Nothing for settings no COM port can take.
std::optional<DCB> LineStateFor(const DCB& found, const SerialLineSettings& settings,
                                ModemLines modemLines);

// The time-outs a COM or LPT port gets, in the order the settings carry them.
COMMTIMEOUTS CommTimeoutsFor(const CommTimeouts& timeouts);

}  // namespace platform

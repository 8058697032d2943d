#include "platform/win32/serial_dcb.h"

namespace platform {

std::optional<DCB> LineStateFor(const DCB& found, const SerialLineSettings& settings,
                                ModemLines modemLines) {
  if (settings.baudRate <= 0 || settings.dataBits < 5 || settings.dataBits > 8 ||
      settings.parity < 0 || settings.parity > 4 || settings.stopBits < 0 ||
      settings.stopBits > 2) {
    return std::nullopt;
  }
  DCB line = found;
  line.BaudRate = static_cast<DWORD>(settings.baudRate);
  line.ByteSize = static_cast<BYTE>(settings.dataBits);
  line.Parity = static_cast<BYTE>(settings.parity);
  line.StopBits = static_cast<BYTE>(settings.stopBits);
  line.fParity = settings.parity != 0;
  line.fDsrSensitivity = FALSE;
  line.fTXContinueOnXoff = FALSE;
  line.fNull = FALSE;
  const bool dsrMode = settings.flowControl == SerialFlowControl::kDtrDsr;
  // A line without modem status lines has no DSR or CTS to wait for.
  const bool lines = modemLines == ModemLines::kPresent;
  line.fOutxCtsFlow = !dsrMode && lines;
  line.fOutxDsrFlow = dsrMode && lines;
  line.fDtrControl =
      dsrMode ? (lines ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_ENABLE) : DTR_CONTROL_DISABLE;
  line.fRtsControl =
      dsrMode ? RTS_CONTROL_DISABLE : (lines ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE);
  line.fOutX = line.fInX = !dsrMode;
  return line;
}

COMMTIMEOUTS CommTimeoutsFor(const CommTimeouts& timeouts) {
  return {timeouts.readInterval, timeouts.readTotalMultiplier, timeouts.readTotalConstant,
          timeouts.writeTotalMultiplier, timeouts.writeTotalConstant};
}

}  // namespace platform

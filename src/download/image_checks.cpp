#include <cstdlib>
#include <cstring>

#include "app/model_codes.h"
#include "download/download_dlg.h"
#include "platform/clock.h"

namespace {
constexpr uint8_t kVersionQuery[3] = {0x1D, 0x49, 0x41};
constexpr uint8_t kFpgaQuery[5] = {0x08, 0x13, 0x25, 0x01, 0x02};
constexpr int kReplySize = 20;
// Printers above this firmware version answer the FPGA query.
constexpr float kVersionThreshold = 1.34f;

// The value of up to two characters as a C string-to-integer conversion reads them.
int LeadingInt(const char* text, size_t length) {
  char two[3] = {0, 0, 0};
  std::memcpy(two, text, length < 2 ? length : 2);
  return std::atoi(two);
}
}  // namespace

int CDownloadDlg::GetImageFpgaType(const std::vector<uint8_t>& image) const {
  if (modelCode != kModelTQR10 && modelCode != kModelTQR11) return -1;
  if (image.size() < 44) return -1;
  if (image[9] != 0x44) return -1;
  if (std::memcmp(image.data() + 10, "Designer", 8) == 0) return -1;
  if (image[40] != 0xCF || image[43] != 0x03) return -1;
  if (image[41] == 0x21) return 2;
  if (image[41] == 0x41) return image[42] == 0xA1 ? 1 : 0;
  return -1;
}

int CDownloadDlg::IsPrinterFirmwareNewer(const uint8_t* reply) {
  size_t textLength = 0;
  while (textLength < kReplySize && reply[textLength] != 0) ++textLength;
  // The first byte is the reply's header; up to five characters of version text follow.
  const char* version = reinterpret_cast<const char*>(reply) + (textLength > 0 ? 1 : 0);
  size_t versionLength = textLength > 1 ? textLength - 1 : 0;
  if (versionLength > 5) versionLength = 5;
  const int major = LeadingInt(version, versionLength);
  const size_t lastTwo = versionLength >= 2 ? versionLength - 2 : 0;
  const int minor = LeadingInt(version + lastTwo, versionLength - lastTwo);
  const double reported = major + minor * 0.01;
  return reported > static_cast<double>(kVersionThreshold) ? 1 : 0;
}

const char* CDownloadDlg::CheckFirmwareCompatibility() {
  const int imageType = GetImageFpgaType(imageBuffer);
  if (imageType == -1) return nullptr;

  uint8_t reply[kReplySize] = {};
  if (portIO.Write(kVersionQuery, sizeof kVersionQuery) != sizeof kVersionQuery) return nullptr;
  platform::CurrentClock().SleepMs(200);
  portIO.Read(reply, kReplySize, 2000);

  if (!IsPrinterFirmwareNewer(reply)) {
    return imageType == 0 ? nullptr : "Please check version of FW.";
  }
  if (portIO.Write(kFpgaQuery, sizeof kFpgaQuery) != sizeof kFpgaQuery) return nullptr;
  platform::CurrentClock().SleepMs(200);
  const int got = portIO.Read(reply, kReplySize, 2000);
  if (got < 5 || reply[0] != 0x5F) return "You need to check version of FW!!!";

  const int c = reply[1];
  int value;
  if (c >= '0' && c <= '9') {
    value = c - 0x30;
  } else if (c >= 0x61 && c <= 0x7F) {
    value = c - 0x57;
  } else {
    value = c - 0x37;
  }
  const int printerType = value >> 2;
  return printerType == imageType ? nullptr : "Please Check the device type of FPGA.";
}

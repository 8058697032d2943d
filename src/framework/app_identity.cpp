#include "framework/app_identity.h"

namespace fw {

const std::string& ApplicationName() {
  static const std::string name = "VORTANE QLX Firmware Downloader";
  return name;
}

std::string ApplicationNameAndVersion() {
  return ApplicationName() + " " + VRTQLX_VERSION;
}

const std::string& ApplicationTitle() {
  static const std::string title = "vrtqlx";
  return title;
}

int ApplicationIconId() {
  return 128;
}

}  // namespace fw

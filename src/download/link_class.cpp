#include "download/link_class.h"

LinkClass ClassifyLink(const std::string& portName) {
  if (portName.rfind("COM", 0) == 0 || portName.rfind("LPT", 0) == 0) return LinkClass::LocalPort;
  if (!portName.empty() && portName[0] == '\\') return LinkClass::DevicePath;
  return LinkClass::Network;
}

#include "app/firmware_app.h"

// USB printer discovery is not part of this build yet: no printer is ever found, so `path`
// stays empty and a silent USB job ends with its "Not connected Printer" line. Discovery
// fills this one function in.
void CFirmwareApp::FindConnectedUsbPrinter(const std::string& /*modelName*/,
                                           std::string& /*path*/) {}

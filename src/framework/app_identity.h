#pragma once

#include <string>

namespace fw {

// "VORTANE QLX Firmware Downloader": names the program in titles and the About box.
const std::string& ApplicationName();
// The application's name followed by its version.
std::string ApplicationNameAndVersion();
// The caption of the framework's own boxes (the application title).
const std::string& ApplicationTitle();
// The image resource of the application's icon: the icon of every window that names none
// of its own (a desktop shows it in its task list and window switcher).
int ApplicationIconId();

}  // namespace fw

#pragma once

#include <string>

namespace fw {
class Dialog;
}

namespace fw::win32 {

class Win32Backend;

// What the open dialog's window shows, painted afresh and copied from the window's own
// surface, written to `path` as a PNG. False when the dialog has no window or the file cannot be
// written.
bool SaveDialogPng(Win32Backend& backend, const Dialog& dialog, const std::string& path);

}  // namespace fw::win32

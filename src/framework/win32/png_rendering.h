#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/win32/win32_api.h"

namespace fw {
class Dialog;
}

namespace fw::win32 {

class Win32Backend;

// A picture of `width` × `height` pixels, 0xRRGGBB each, row by row from the top.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgb;
};

// What `draw` paints into a memory device context of `width` × `height` pixels; empty when
// no such picture can be made.
Pixels CapturePixels(int width, int height, const std::function<void(HDC)>& draw);

// What the open dialog's client area shows, painted afresh and copied from the window's
// own surface; empty when the dialog has no window.
Pixels DialogPixels(Win32Backend& backend, const Dialog& dialog);

// What the open dialog's window shows, painted afresh and copied from the window's own
// surface, written to `path` as a PNG. False when the dialog has no window or the file cannot be
// written.
bool SaveDialogPng(Win32Backend& backend, const Dialog& dialog, const std::string& path);

}  // namespace fw::win32

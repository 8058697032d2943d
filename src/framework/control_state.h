#pragma once

#include <array>
#include <string>
#include <vector>

#include "framework/dialog_template.h"

namespace fw {

// The live state of one control of an open dialog. The framework keeps it; a backend shows
// it and writes the operator's changes back into it.
struct ControlState {
  int id = 0;
  ControlClass cls = ControlClass::Static;
  uint32_t style = 0;
  Rect rect;  // pixels, in the dialog's client area
  std::string text;
  bool enabled = true;
  bool visible = true;
  bool checked = false;
  bool pressed = false;
  std::vector<std::string> items;  // combo and list boxes
  int curSel = -1;
  int imageId = 0;
  std::array<int, 4> ipFields{-1, -1, -1, -1};  // -1: the field is blank
};

}  // namespace fw

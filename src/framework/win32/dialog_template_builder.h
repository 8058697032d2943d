#pragma once

#include <cstdint>
#include <vector>

#include "framework/dialog_template.h"

namespace fw::win32 {

// The dialog template as the window system's dialog manager reads it: a DLGTEMPLATE with
// its font, then one DLGITEMTEMPLATE per control in template order, each on a four-byte
// boundary. Controls keep their ids, so the window system numbers them as the program does.
std::vector<uint16_t> BuildDialogTemplate(const DialogTemplate& tmpl);

// The window style bits of a control of class `cls` with the template's style bits.
uint32_t ControlWindowStyle(ControlClass cls, uint32_t styleBits);

}  // namespace fw::win32

#pragma once

#include "framework/geometry.h"
#include "framework/win32/win32_api.h"

namespace fw::win32 {

// The dialog base units of the font selected into `dc`, whose em is `emPixels` high, by the
// framework's rule for converting a template: the average width of the 52 letters A–Z a–z,
// rounded ((width ÷ 26 + 1) ÷ 2), and the character cell's height, ascent and descent each
// rounded up from the font's own design metrics. A window system whose metrics round the
// descent down (Wine on Liberation Sans answers 12 where the design metrics give 13) would
// otherwise cut off the bottom of every window.
Size MeasureBaseUnits(HDC dc, int emPixels);

}  // namespace fw::win32

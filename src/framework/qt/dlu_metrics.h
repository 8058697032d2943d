#pragma once

#include <QFont>
#include <map>
#include <string>
#include <utility>

#include "framework/geometry.h"
#include "framework/paint_context.h"

namespace fw::qt {

// Fonts of dialog templates and of painting, and the dialog base units they give: the
// rounded average width of the 52 letters and the full character cell, the same rule on
// every backend.
class DluMetrics {
 public:
  // The template font: `points` at 96 dots per inch, rounded to whole pixels.
  QFont DialogFont(const std::string& family, int points);
  // One horizontal and one vertical dialog base unit in pixels for the template font.
  Size BaseUnits(const std::string& family, int points);
  // A painting font. A positive height is the character cell (ascent plus descent), a
  // negative one the em size, 0 the size of an 8-point template font.
  QFont PaintFont(const Font& font);

 private:
  std::map<std::pair<std::string, int>, Size> baseUnits_;
  std::map<std::pair<std::string, int>, QFont> paintFonts_;
};

// Text is drawn without anti-aliasing, so that every glyph pixel has the colour asked for.
QFont CrispFont(const std::string& family, int pixelSize);

}  // namespace fw::qt

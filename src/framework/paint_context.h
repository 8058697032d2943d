#pragma once

#include <string>

#include "framework/geometry.h"

namespace fw {

struct Pen {
  Color color;
  int width = 1;
  bool null = false;
};

struct Brush {
  Color color{255, 255, 255};
  bool null = false;
};

struct Font {
  std::string face;
  int height = 0;  // pixels
};

// What a window or an owner-drawn control paints with. Rectangles are drawn with the
// current pen and filled with the current brush, GDI style (right and bottom exclusive).
class PaintContext {
 public:
  virtual ~PaintContext() = default;

  Pen SelectPen(const Pen& pen) {
    Pen old = pen_;
    pen_ = pen;
    return old;
  }
  Brush SelectBrush(const Brush& brush) {
    Brush old = brush_;
    brush_ = brush;
    return old;
  }
  const Pen& CurrentPen() const { return pen_; }
  const Brush& CurrentBrush() const { return brush_; }

  virtual void Rectangle(const Rect& rect) = 0;
  virtual void Line(Point from, Point to) = 0;
  virtual void FillRect(const Rect& rect, Color color) = 0;
  // Copies image `imageId` of the resources with its top-left corner at `at`; `source`
  // picks a part of it (an empty rectangle means the whole image).
  virtual void DrawImage(int imageId, Point at, const Rect& source) = 0;
  virtual void DrawText(const std::string& text, Point at, const Font& font, Color color) = 0;
  // One line of text centred in `box` both ways.
  virtual void DrawTextCentered(const std::string& text, const Rect& box, const Font& font,
                                Color color) = 0;

 private:
  Pen pen_;
  Brush brush_;
};

}  // namespace fw

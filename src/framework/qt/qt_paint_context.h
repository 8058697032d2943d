#pragma once

#include <QPainter>

#include "framework/paint_context.h"

namespace fw::qt {

class DluMetrics;
class ImageCache;

// Paints on a Qt painter with the framework's drawing rules: rectangles and
// lines in whole pixels with right and bottom edges (and a line's end point) left out, a
// width-0 pen as one pixel, text drawn transparently from the top-left of its cell.
class QtPaintContext final : public PaintContext {
 public:
  QtPaintContext(QPainter& painter, DluMetrics& fonts, ImageCache& images);

  void Rectangle(const Rect& rect) override;
  void Line(Point from, Point to) override;
  void FillRect(const Rect& rect, Color color) override;
  void DrawImage(int imageId, Point at, const Rect& source) override;
  void DrawText(const std::string& text, Point at, const Font& font, Color color) override;
  void DrawTextCentered(const std::string& text, const Rect& box, const Font& font,
                        Color color) override;

 private:
  void UsePen();

  QPainter& painter_;
  DluMetrics& fonts_;
  ImageCache& images_;
};

QColor ToQColor(Color color);
QRect ToQRect(const Rect& rect);

}  // namespace fw::qt

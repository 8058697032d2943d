#pragma once

#include <string>
#include <vector>

#include "framework/paint_context.h"

namespace fw {

// One drawing call, as the headless backend records it for tests to read back.
struct PaintOp {
  enum class Kind { Rectangle, Line, FillRect, Image, Text };
  Kind kind = Kind::Rectangle;
  Rect rect;
  Point from;
  Point to;
  Pen pen;
  Brush brush;
  Color color;
  int imageId = 0;
  std::string text;
  Font font;
};

class RecordingPaintContext final : public PaintContext {
 public:
  void Rectangle(const Rect& rect) override;
  void Line(Point from, Point to) override;
  void FillRect(const Rect& rect, Color color) override;
  void DrawImage(int imageId, Point at, const Rect& source) override;
  void DrawText(const std::string& text, Point at, const Font& font, Color color) override;
  void DrawTextCentered(const std::string& text, const Rect& box, const Font& font,
                        Color color) override;

  std::vector<PaintOp>& Ops() { return ops_; }

 private:
  PaintOp Op(PaintOp::Kind kind) const;
  std::vector<PaintOp> ops_;
};

}  // namespace fw

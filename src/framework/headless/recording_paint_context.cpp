#include "framework/headless/recording_paint_context.h"

namespace fw {

PaintOp RecordingPaintContext::Op(PaintOp::Kind kind) const {
  PaintOp op;
  op.kind = kind;
  op.pen = CurrentPen();
  op.brush = CurrentBrush();
  return op;
}

void RecordingPaintContext::Rectangle(const Rect& rect) {
  PaintOp op = Op(PaintOp::Kind::Rectangle);
  op.rect = rect;
  ops_.push_back(std::move(op));
}

void RecordingPaintContext::Line(Point from, Point to) {
  PaintOp op = Op(PaintOp::Kind::Line);
  op.from = from;
  op.to = to;
  ops_.push_back(std::move(op));
}

void RecordingPaintContext::FillRect(const Rect& rect, Color color) {
  PaintOp op = Op(PaintOp::Kind::FillRect);
  op.rect = rect;
  op.color = color;
  ops_.push_back(std::move(op));
}

void RecordingPaintContext::DrawImage(int imageId, Point at, const Rect& source) {
  PaintOp op = Op(PaintOp::Kind::Image);
  op.imageId = imageId;
  op.from = at;
  op.rect = source;
  ops_.push_back(std::move(op));
}

void RecordingPaintContext::DrawText(const std::string& text, Point at, const Font& font,
                                     Color color) {
  PaintOp op = Op(PaintOp::Kind::Text);
  op.text = text;
  op.from = at;
  op.font = font;
  op.color = color;
  ops_.push_back(std::move(op));
}

void RecordingPaintContext::DrawTextCentered(const std::string& text, const Rect& box,
                                             const Font& font, Color color) {
  PaintOp op = Op(PaintOp::Kind::Text);
  op.text = text;
  op.rect = box;
  op.from = Point{box.left, box.top};
  op.font = font;
  op.color = color;
  ops_.push_back(std::move(op));
}

}  // namespace fw

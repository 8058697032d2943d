#include "framework/qt/qt_paint_context.h"

#include <QFontMetrics>
#include <algorithm>

#include "framework/qt/dlu_metrics.h"
#include "framework/qt/image_cache.h"

namespace fw::qt {

QColor ToQColor(Color color) {
  return QColor(color.r, color.g, color.b);
}

QRect ToQRect(const Rect& rect) {
  return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

QtPaintContext::QtPaintContext(QPainter& painter, DluMetrics& fonts, ImageCache& images)
    : painter_(painter), fonts_(fonts), images_(images) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
}

void QtPaintContext::UsePen() {
  QPen pen(ToQColor(CurrentPen().color));
  pen.setWidth(0);  // cosmetic: one pixel whatever the transformation
  painter_.setPen(pen);
  painter_.setBrush(Qt::NoBrush);
}

void QtPaintContext::Rectangle(const Rect& rect) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  if (!CurrentBrush().null) painter_.fillRect(ToQRect(rect), ToQColor(CurrentBrush().color));
  if (CurrentPen().null) return;
  UsePen();
  // A wider pen stays inside the rectangle, one frame per pixel of its width.
  const int width = std::max(1, CurrentPen().width);
  for (int i = 0; i < width && rect.Width() - 2 * i > 0 && rect.Height() - 2 * i > 0; ++i) {
    painter_.drawRect(rect.left + i, rect.top + i, rect.Width() - 2 * i - 1,
                      rect.Height() - 2 * i - 1);
  }
}

void QtPaintContext::Line(Point from, Point to) {
  if (from == to || CurrentPen().null) return;
  UsePen();
  const int dx = (to.x > from.x) - (to.x < from.x);
  const int dy = (to.y > from.y) - (to.y < from.y);
  painter_.drawLine(from.x, from.y, to.x - dx, to.y - dy);
}

void QtPaintContext::FillRect(const Rect& rect, Color color) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  painter_.fillRect(ToQRect(rect), ToQColor(color));
}

void QtPaintContext::DrawImage(int imageId, Point at, const Rect& source) {
  const QImage* image = images_.Find(imageId);
  if (!image) return;
  const QRect part = source.Width() > 0 && source.Height() > 0
                         ? ToQRect(source).intersected(image->rect())
                         : image->rect();
  painter_.drawImage(QPoint(at.x, at.y), *image, part);
}

void QtPaintContext::DrawText(const std::string& text, Point at, const Font& font, Color color) {
  const QFont qfont = fonts_.PaintFont(font);
  painter_.setFont(qfont);
  painter_.setPen(ToQColor(color));
  painter_.drawText(QPoint(at.x, at.y + QFontMetrics(qfont).ascent()),
                    QString::fromLocal8Bit(text.c_str()));
}

void QtPaintContext::DrawTextCentered(const std::string& text, const Rect& box, const Font& font,
                                      Color color) {
  painter_.setFont(fonts_.PaintFont(font));
  painter_.setPen(ToQColor(color));
  painter_.drawText(ToQRect(box), Qt::AlignCenter | Qt::TextSingleLine,
                    QString::fromLocal8Bit(text.c_str()));
}

}  // namespace fw::qt

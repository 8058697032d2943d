#include "framework/win32/gdi_paint_context.h"

#include <algorithm>

namespace fw::win32 {

namespace {
// 8 points at 96 dots per inch, the size a font of height 0 falls back to.
constexpr int kDefaultFontHeight = -11;

int Length(const std::string& text) {
  return static_cast<int>(std::min<size_t>(text.size(), INT32_MAX));
}
}  // namespace

HPEN GdiPaintContext::MakePen() const {
  const Pen& pen = CurrentPen();
  if (pen.null) return nullptr;
  // A wider pen stays inside the rectangle it frames.
  return CreatePen(pen.width > 1 ? PS_INSIDEFRAME : PS_SOLID, std::max(1, pen.width),
                   ToColorRef(pen.color));
}

void GdiPaintContext::Rectangle(const Rect& rect) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  HPEN pen = MakePen();
  HBRUSH brush = CurrentBrush().null ? nullptr : CreateSolidBrush(ToColorRef(CurrentBrush().color));
  HGDIOBJ oldPen = SelectObject(dc_, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(NULL_PEN));
  HGDIOBJ oldBrush =
      SelectObject(dc_, brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(NULL_BRUSH));
  // Without a pen GDI leaves out the right and bottom edge; the fill covers the whole box.
  const int grow = pen ? 0 : 1;
  ::Rectangle(dc_, rect.left, rect.top, rect.right + grow, rect.bottom + grow);
  SelectObject(dc_, oldBrush);
  SelectObject(dc_, oldPen);
  if (brush) DeleteObject(brush);
  if (pen) DeleteObject(pen);
}

void GdiPaintContext::Line(Point from, Point to) {
  HPEN pen = MakePen();
  if (!pen) return;
  HGDIOBJ old = SelectObject(dc_, pen);
  MoveToEx(dc_, from.x, from.y, nullptr);
  LineTo(dc_, to.x, to.y);
  SelectObject(dc_, old);
  DeleteObject(pen);
}

void GdiPaintContext::FillRect(const Rect& rect, Color color) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  const RECT area{rect.left, rect.top, rect.right, rect.bottom};
  ::FillRect(dc_, &area, objects_.SolidBrush(color));
}

void GdiPaintContext::DrawImage(int imageId, Point at, const Rect& source) {
  HBITMAP bitmap = objects_.Bitmap(imageId);
  if (!bitmap) return;
  const Size size = objects_.BitmapSize(imageId);
  Rect part{0, 0, size.cx, size.cy};
  if (source.Width() > 0 && source.Height() > 0) {
    part = Rect{std::max(0, source.left), std::max(0, source.top), std::min(size.cx, source.right),
                std::min(size.cy, source.bottom)};
    if (part.Width() <= 0 || part.Height() <= 0) return;
  }
  HDC memory = CreateCompatibleDC(dc_);
  if (!memory) return;
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(dc_, at.x, at.y, part.Width(), part.Height(), memory, part.left, part.top, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

HFONT GdiPaintContext::UseFont(const Font& font, Color color) {
  SetBkMode(dc_, TRANSPARENT);
  SetTextColor(dc_, ToColorRef(color));
  HFONT handle = objects_.FontOf(font.face, font.height != 0 ? font.height : kDefaultFontHeight);
  return handle ? static_cast<HFONT>(SelectObject(dc_, handle)) : nullptr;
}

void GdiPaintContext::DrawText(const std::string& text, Point at, const Font& font, Color color) {
  HFONT old = UseFont(font, color);
  TextOutA(dc_, at.x, at.y, text.c_str(), Length(text));
  if (old) SelectObject(dc_, old);
}

void GdiPaintContext::DrawTextCentered(const std::string& text, const Rect& box, const Font& font,
                                       Color color) {
  HFONT old = UseFont(font, color);
  RECT area{box.left, box.top, box.right, box.bottom};
  DrawTextA(dc_, text.c_str(), Length(text), &area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (old) SelectObject(dc_, old);
}

}  // namespace fw::win32

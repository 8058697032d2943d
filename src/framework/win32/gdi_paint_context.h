#pragma once

#include "framework/paint_context.h"
#include "framework/win32/gdi_objects.h"
#include "framework/win32/win32_api.h"

namespace fw::win32 {

// The framework's paint context on a GDI device context. The pen and brush of each call
// are made for it and freed after it, so the device context is left as it was given.
class GdiPaintContext final : public PaintContext {
 public:
  GdiPaintContext(HDC dc, GdiObjects& objects) : dc_(dc), objects_(objects) {}

  void Rectangle(const Rect& rect) override;
  void Line(Point from, Point to) override;
  void FillRect(const Rect& rect, Color color) override;
  void DrawImage(int imageId, Point at, const Rect& source) override;
  void DrawText(const std::string& text, Point at, const Font& font, Color color) override;
  void DrawTextCentered(const std::string& text, const Rect& box, const Font& font,
                        Color color) override;

 private:
  HPEN MakePen() const;
  HFONT UseFont(const Font& font, Color color);

  HDC dc_;
  GdiObjects& objects_;
};

}  // namespace fw::win32

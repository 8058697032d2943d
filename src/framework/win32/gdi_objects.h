#pragma once

#include <map>
#include <string>
#include <utility>

#include "framework/geometry.h"
#include "framework/win32/win32_api.h"

namespace fw::win32 {

// The GDI objects the backend draws with, made once each and freed with the backend: the
// program's images as device-independent sections, icons made from them, fonts by face
// and height, and solid brushes by colour.
class GdiObjects {
 public:
  GdiObjects() = default;
  ~GdiObjects();
  GdiObjects(const GdiObjects&) = delete;
  GdiObjects& operator=(const GdiObjects&) = delete;

  // The image resource as a 32-bit top-down DIB section; null when there is none.
  HBITMAP Bitmap(int imageId);
  Size BitmapSize(int imageId);
  HICON IconOf(int imageId);
  // `height` as CreateFont takes it: above 0 the cell height, below 0 the em height.
  HFONT FontOf(const std::string& face, int height);
  HBRUSH SolidBrush(Color color);

 private:
  std::map<int, HBITMAP> bitmaps_;
  std::map<int, HICON> icons_;
  std::map<std::pair<std::string, int>, HFONT> fonts_;
  std::map<COLORREF, HBRUSH> brushes_;
};

inline COLORREF ToColorRef(Color color) {
  return RGB(color.r, color.g, color.b);
}

}  // namespace fw::win32

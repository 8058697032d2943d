#include "framework/win32/gdi_objects.h"

#include <cstring>

#include "framework/resources.h"

namespace fw::win32 {

GdiObjects::~GdiObjects() {
  for (auto& [id, icon] : icons_) DestroyIcon(icon);
  for (auto& [id, bitmap] : bitmaps_) DeleteObject(bitmap);
  for (auto& [key, font] : fonts_) DeleteObject(font);
  for (auto& [color, brush] : brushes_) DeleteObject(brush);
}

HBITMAP GdiObjects::Bitmap(int imageId) {
  if (auto it = bitmaps_.find(imageId); it != bitmaps_.end()) return it->second;
  const Image* image = FindImage(imageId);
  if (!image || image->width <= 0 || image->height <= 0 ||
      image->pixels.size() != static_cast<size_t>(image->width) * image->height) {
    return nullptr;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = image->width;
  info.bmiHeader.biHeight = -image->height;  // rows from the top, as the resources hold them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return nullptr;
  // 0xRRGGBB is the byte order B, G, R, 0 of a 32-bit DIB on a little-endian machine.
  std::memcpy(bits, image->pixels.data(), image->pixels.size() * sizeof(uint32_t));
  GdiFlush();
  bitmaps_[imageId] = bitmap;
  return bitmap;
}

Size GdiObjects::BitmapSize(int imageId) {
  const Image* image = Bitmap(imageId) ? FindImage(imageId) : nullptr;
  return image ? Size{image->width, image->height} : Size{};
}

HICON GdiObjects::IconOf(int imageId) {
  if (auto it = icons_.find(imageId); it != icons_.end()) return it->second;
  HBITMAP color = Bitmap(imageId);
  if (!color) return nullptr;
  const Size size = BitmapSize(imageId);
  // An all-zero mask: every pixel of the colour image is shown.
  HBITMAP mask = CreateBitmap(size.cx, size.cy, 1, 1, nullptr);
  if (!mask) return nullptr;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, mask);
  PatBlt(dc, 0, 0, size.cx, size.cy, BLACKNESS);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmMask = mask;
  info.hbmColor = color;
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  if (icon) icons_[imageId] = icon;
  return icon;
}

HFONT GdiObjects::FontOf(const std::string& face, int height) {
  const auto key = std::make_pair(face, height);
  if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;
  // Face names hold at most 31 characters and the terminating zero.
  const std::string name = face.substr(0, LF_FACESIZE - 1);
  HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, name.c_str());
  if (font) fonts_[key] = font;
  return font;
}

HBRUSH GdiObjects::SolidBrush(Color color) {
  const COLORREF ref = ToColorRef(color);
  if (auto it = brushes_.find(ref); it != brushes_.end()) return it->second;
  HBRUSH brush = CreateSolidBrush(ref);
  if (brush) brushes_[ref] = brush;
  return brush;
}

}  // namespace fw::win32

#include "framework/win32/png_rendering.h"

#include <cstdint>
#include <fstream>
#include <vector>

#include "framework/win32/dialog_window.h"
#include "framework/win32/png_file.h"
#include "framework/win32/win32_backend.h"

namespace fw::win32 {

Pixels CapturePixels(int width, int height, const std::function<void(HDC)>& draw) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return {};
  Pixels picture;
  if (HDC dc = CreateCompatibleDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, bitmap);
    draw(dc);
    GdiFlush();
    const auto* source = static_cast<const uint32_t*>(bits);
    picture = Pixels{width, height, {source, source + static_cast<size_t>(width) * height}};
    for (uint32_t& p : picture.rgb) p &= 0xFFFFFFu;
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  DeleteObject(bitmap);
  return picture;
}

Pixels DialogPixels(Win32Backend& backend, const Dialog& dialog) {
  DialogWindow* window = backend.WindowOf(dialog);
  RECT client{};
  if (!window || !GetClientRect(window->Handle(), &client)) return {};
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  return CapturePixels(width, height, [&](HDC dc) { window->CopyClientArea(dc, width, height); });
}

bool SaveDialogPng(Win32Backend& backend, const Dialog& dialog, const std::string& path) {
  const Pixels picture = DialogPixels(backend, dialog);
  const std::vector<uint8_t> png = EncodePng(picture.width, picture.height, picture.rgb);
  if (png.empty()) return false;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return static_cast<bool>(out);
}

}  // namespace fw::win32

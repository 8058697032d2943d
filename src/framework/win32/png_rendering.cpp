#include "framework/win32/png_rendering.h"

#include <cstdint>
#include <fstream>
#include <vector>

#include "framework/win32/dialog_window.h"
#include "framework/win32/png_file.h"
#include "framework/win32/win32_backend.h"

namespace fw::win32 {

namespace {
// The client area copied into a 32-bit top-down DIB, 0xRRGGBB per pixel; empty on failure.
std::vector<uint32_t> PrintClientArea(DialogWindow& window, int width, int height) {
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
  std::vector<uint32_t> pixels;
  if (HDC dc = CreateCompatibleDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, bitmap);
    window.CopyClientArea(dc, width, height);
    GdiFlush();
    const auto* source = static_cast<const uint32_t*>(bits);
    pixels.assign(source, source + static_cast<size_t>(width) * height);
    for (uint32_t& p : pixels) p &= 0xFFFFFFu;
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  DeleteObject(bitmap);
  return pixels;
}
}  // namespace

Pixels DialogPixels(Win32Backend& backend, const Dialog& dialog) {
  DialogWindow* window = backend.WindowOf(dialog);
  RECT client{};
  if (!window || !GetClientRect(window->Handle(), &client)) return {};
  Pixels picture{client.right - client.left, client.bottom - client.top, {}};
  picture.rgb = PrintClientArea(*window, picture.width, picture.height);
  return picture;
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

#include "framework/qt/image_cache.h"

#include <cstring>

#include "framework/resources.h"

namespace fw::qt {

const QImage* ImageCache::Find(int imageId) {
  if (auto it = images_.find(imageId); it != images_.end()) return &it->second;
  const Image* image = FindImage(imageId);
  if (!image || image->width <= 0 || image->height <= 0 ||
      image->pixels.size() != static_cast<size_t>(image->width) * image->height) {
    return nullptr;
  }
  QImage converted(image->width, image->height, QImage::Format_RGB32);
  for (int y = 0; y < image->height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(converted.scanLine(y));
    for (int x = 0; x < image->width; ++x) {
      row[x] = 0xFF000000u | (image->pixels[static_cast<size_t>(y) * image->width + x] & 0xFFFFFFu);
    }
  }
  return &images_.emplace(imageId, std::move(converted)).first->second;
}

}  // namespace fw::qt

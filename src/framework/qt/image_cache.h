#pragma once

#include <QImage>
#include <map>

namespace fw::qt {

// The program's bitmap resources as Qt images, converted once on first use.
class ImageCache {
 public:
  // Null when no image of that id is registered.
  const QImage* Find(int imageId);

 private:
  std::map<int, QImage> images_;
};

}  // namespace fw::qt

#include "framework/resources.h"

#include <map>
#include <optional>

namespace fw {

namespace {
struct LazyImage {
  std::optional<Image> image;
  std::function<Image()> make;
};

struct Store {
  std::map<int, LazyImage> images;
  std::map<int, std::string> strings;
};

Store& Resources() {
  static Store store;
  return store;
}
}  // namespace

void RegisterImage(int id, Image image) {
  Resources().images[id] = LazyImage{std::move(image), {}};
}

void RegisterImage(int id, std::function<Image()> make) {
  Resources().images[id] = LazyImage{std::nullopt, std::move(make)};
}

const Image* FindImage(int id) {
  auto& images = Resources().images;
  auto it = images.find(id);
  if (it == images.end()) return nullptr;
  LazyImage& entry = it->second;
  if (!entry.image) {
    entry.image = entry.make();
    entry.make = nullptr;
  }
  return &*entry.image;
}

void RegisterString(int id, std::string text) {
  Resources().strings[id] = std::move(text);
}

std::string LoadString(int id) {
  auto& strings = Resources().strings;
  auto it = strings.find(id);
  return it == strings.end() ? std::string() : it->second;
}

}  // namespace fw

#include "framework/resources.h"

#include <map>

namespace fw {

namespace {
struct Store {
  std::map<int, Image> images;
  std::map<int, std::string> strings;
};

Store& Resources() {
  static Store store;
  return store;
}
}  // namespace

void RegisterImage(int id, Image image) {
  Resources().images[id] = std::move(image);
}

const Image* FindImage(int id) {
  auto& images = Resources().images;
  auto it = images.find(id);
  return it == images.end() ? nullptr : &it->second;
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

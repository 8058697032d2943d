#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fw {

// A bitmap resource: pixels row by row from the top, each 0xRRGGBB.
struct Image {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 24;  // the colour depth the resource was made with
  std::vector<uint32_t> pixels;
};

// The program's resources by numeric id. The program's own resource module registers
// them once at start; lookups of an id nobody registered find nothing.
void RegisterImage(int id, Image image);
// An image made the first time it is looked up: most pictures are never shown in a run
// (a silent one shows none), and making them all at start costs more than the rest of it.
void RegisterImage(int id, std::function<Image()> make);
const Image* FindImage(int id);
void RegisterString(int id, std::string text);
// The string, or "" when there is none.
std::string LoadString(int id);

}  // namespace fw

#pragma once

#include <cstdint>
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
const Image* FindImage(int id);
void RegisterString(int id, std::string text);
// The string, or "" when there is none.
std::string LoadString(int id);

}  // namespace fw

// Pictures the program hands to its windows: plain pixels in memory, rows
// top first, no GL and no windowing types.
#pragma once

#include <cstdint>
#include <vector>

namespace tessaly::platform {

// An RGB picture, 3 bytes a pixel.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

// An RGBA picture, 4 bytes a pixel, straight (not premultiplied) alpha: a
// window icon at one size.
struct RgbaPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
};

}  // namespace tessaly::platform

// Small content for frame tests: a one-colour picture and a square model.
// Header-only.
#pragma once

#include "tests/support/png_writer.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tessaly::test {

// A 4x4 PNG of one opaque colour.
inline std::string solidPng(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < 16; ++i) pixels.insert(pixels.end(), {r, g, b, 255});
  return encodePng(4, 4, pixels);
}

// An OBJ square facing +z at depth z, centred on (1, 1), `half` wide each
// way, drawn with the material "surface" of `library`.
inline std::string squareObj(float half, float z, const char* library) {
  char text[512];
  std::snprintf(text, sizeof text,
                "mtllib %s\n"
                "v %g %g %g\nv %g %g %g\nv %g %g %g\nv %g %g %g\n"
                "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n"
                "usemtl surface\n"
                "f 1/1/1 2/2/1 3/3/1 4/4/1\n",
                library, 1 - half, 1 - half, z, 1 + half, 1 - half, z, 1 + half, 1 + half, z,
                1 - half, 1 + half, z);
  return text;
}

}  // namespace tessaly::test

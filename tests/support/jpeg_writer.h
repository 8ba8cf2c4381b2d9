// One-colour JPEG fixtures, written by DevIL's own encoder (the decoder the
// loader uses). Header-only.
#pragma once

#include "assets/image_decoder.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tessaly::test {

// An 8x8 JPEG of one colour at `path`.
inline void writeJpeg(const std::string& path, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < 64; ++i) {
    pixels.insert(pixels.end(), {r, g, b});
  }
  assets::initializeDevilQuietly();
  ILuint image = 0;
  ilGenImages(1, &image);
  ilBindImage(image);
  ilTexImage(8, 8, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels.data());
  ilEnable(IL_FILE_OVERWRITE);
  EXPECT_EQ(ilSave(IL_JPG, path.c_str()), IL_TRUE) << path;
  ilDeleteImages(1, &image);
}

}  // namespace tessaly::test

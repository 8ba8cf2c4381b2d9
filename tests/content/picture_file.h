// Pictures read back for the content tests, decoded with DevIL as the
// player's texture loader decodes them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace tessaly::test {

struct DecodedPicture {
  bool ok = false;
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;  // 8-bit RGBA, rows in the file's order (top first for PNG)
};

DecodedPicture decodePicture(const std::filesystem::path& path);

}  // namespace tessaly::test

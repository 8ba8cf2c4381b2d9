// Pictures in memory (RGBA, floats 0..1) and their PNG and JPEG files,
// written with stb_image_write.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

namespace tessaly::content {

struct Image {
  Image(int width, int height, glm::vec4 fill = glm::vec4(0.0f));

  int width;
  int height;
  std::vector<glm::vec4> pixels;  // row 0 is the top row of the file

  glm::vec4& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  const glm::vec4& at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * width + x];
  }
};

// 8-bit RGBA bytes, rounded and clamped.
std::vector<std::uint8_t> toBytes(const Image& image);

// Writes a PNG (RGBA) or a JPEG (RGB, quality 0..100); false on failure.
bool writePng(const Image& image, const std::filesystem::path& path);
bool writeJpeg(const Image& image, const std::filesystem::path& path, int quality);

// A one-channel coverage or height field of the same kind.
struct Field {
  Field(int width, int height, float fill = 0.0f);

  int width;
  int height;
  std::vector<float> values;

  float& at(int x, int y) { return values[static_cast<std::size_t>(y) * width + x]; }
  float at(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
};

// Separable box blur repeated three times (close to a Gaussian of the given
// radius in pixels); `wrap` makes it tile.
Field blur(const Field& field, int radius, bool wrap);

glm::vec3 mix3(glm::vec3 a, glm::vec3 b, float t);
float smoothstep(float edge0, float edge1, float x);

}  // namespace tessaly::content

#include "tools/content/image.h"

#include "tools/content/output.h"

#include <algorithm>
#include <cmath>

#include <stb_image_write.h>

namespace tessaly::content {

namespace {

void appendBytes(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(context);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

std::uint8_t toByte(float value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
}

}  // namespace

Image::Image(int w, int h, glm::vec4 fill)
    : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

std::vector<std::uint8_t> toBytes(const Image& image) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(image.pixels.size() * 4);
  for (const glm::vec4& p : image.pixels) {
    bytes.push_back(toByte(p.r));
    bytes.push_back(toByte(p.g));
    bytes.push_back(toByte(p.b));
    bytes.push_back(toByte(p.a));
  }
  return bytes;
}

bool writePng(const Image& image, const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = toBytes(image);
  std::vector<std::uint8_t> file;
  if (stbi_write_png_to_func(appendBytes, &file, image.width, image.height, 4, bytes.data(),
                             image.width * 4) == 0) {
    return false;
  }
  return writeFile(path, file);
}

bool writeJpeg(const Image& image, const std::filesystem::path& path, int quality) {
  std::vector<std::uint8_t> rgbBytes;
  rgbBytes.reserve(image.pixels.size() * 3);
  for (const glm::vec4& p : image.pixels) {
    rgbBytes.push_back(toByte(p.r));
    rgbBytes.push_back(toByte(p.g));
    rgbBytes.push_back(toByte(p.b));
  }
  std::vector<std::uint8_t> file;
  if (stbi_write_jpg_to_func(appendBytes, &file, image.width, image.height, 3, rgbBytes.data(),
                             quality) == 0) {
    return false;
  }
  return writeFile(path, file);
}

Field::Field(int w, int h, float fill)
    : width(w), height(h), values(static_cast<std::size_t>(w) * h, fill) {}

namespace {

// One box pass along x (horizontal) or y, radius r.
Field boxPass(const Field& in, int r, bool horizontal, bool wrap) {
  Field out(in.width, in.height);
  const int length = horizontal ? in.width : in.height;
  const int lines = horizontal ? in.height : in.width;
  const float scale = 1.0f / static_cast<float>(2 * r + 1);
  auto get = [&](int line, int i) {
    if (wrap) {
      i = ((i % length) + length) % length;
    } else {
      i = std::clamp(i, 0, length - 1);
    }
    return horizontal ? in.at(i, line) : in.at(line, i);
  };
  for (int line = 0; line < lines; ++line) {
    float sum = 0.0f;
    for (int i = -r; i <= r; ++i) {
      sum += get(line, i);
    }
    for (int i = 0; i < length; ++i) {
      (horizontal ? out.at(i, line) : out.at(line, i)) = sum * scale;
      sum += get(line, i + r + 1) - get(line, i - r);
    }
  }
  return out;
}

}  // namespace

Field blur(const Field& field, int radius, bool wrap) {
  if (radius <= 0) {
    return field;
  }
  const int r = std::max(1, radius / 2);
  Field result = field;
  for (int pass = 0; pass < 3; ++pass) {
    result = boxPass(result, r, true, wrap);
    result = boxPass(result, r, false, wrap);
  }
  return result;
}

glm::vec3 mix3(glm::vec3 a, glm::vec3 b, float t) { return a + (b - a) * t; }

float smoothstep(float edge0, float edge1, float x) {
  const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

}  // namespace tessaly::content

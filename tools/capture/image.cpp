// Picture operations and the bitmap font of the capture tool.
#include "tools/capture/image.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tessaly::capture {

namespace {

struct Glyph {
  char character;
  // Seven rows, top first; bit 4 is the leftmost pixel.
  std::array<std::uint8_t, glyphHeight> rows;
};

constexpr Glyph glyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
    {'=', {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00}},
    {'s', {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E}},
    {'t', {0x08, 0x08, 0x1C, 0x08, 0x08, 0x09, 0x06}},
    {'f', {0x06, 0x09, 0x08, 0x1C, 0x08, 0x08, 0x08}},
    {'r', {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}},
    {'a', {0x00, 0x00, 0x0E, 0x01, 0x0F, 0x11, 0x0F}},
    {'m', {0x00, 0x00, 0x1A, 0x15, 0x15, 0x11, 0x11}},
    {'e', {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E}},
};

const Glyph* findGlyph(char c) {
  for (const Glyph& glyph : glyphs) {
    if (glyph.character == c) {
      return &glyph;
    }
  }
  return nullptr;
}

}  // namespace

void flipRows(Image& image) {
  const std::size_t stride = static_cast<std::size_t>(image.width) * 4;
  std::vector<std::uint8_t> row(stride);
  for (int top = 0, bottom = image.height - 1; top < bottom; ++top, --bottom) {
    std::uint8_t* a = image.pixel(0, top);
    std::uint8_t* b = image.pixel(0, bottom);
    std::memcpy(row.data(), a, stride);
    std::memcpy(a, b, stride);
    std::memcpy(b, row.data(), stride);
  }
}

Image shrink(const Image& image, int factor) {
  factor = std::max(factor, 1);
  Image result(image.width / factor, image.height / factor);
  const unsigned area = static_cast<unsigned>(factor * factor);
  for (int y = 0; y < result.height; ++y) {
    for (int x = 0; x < result.width; ++x) {
      unsigned sum[4] = {};
      for (int dy = 0; dy < factor; ++dy) {
        for (int dx = 0; dx < factor; ++dx) {
          const std::uint8_t* p = image.pixel(x * factor + dx, y * factor + dy);
          for (int c = 0; c < 4; ++c) sum[c] += p[c];
        }
      }
      std::uint8_t* out = result.pixel(x, y);
      for (int c = 0; c < 4; ++c) {
        out[c] = static_cast<std::uint8_t>((sum[c] + area / 2) / area);
      }
    }
  }
  return result;
}

void paste(Image& target, const Image& source, int x, int y) {
  const int left = std::max(0, x);
  const int right = std::min(target.width, x + source.width);
  if (left >= right) {
    return;
  }
  for (int row = std::max(0, y); row < std::min(target.height, y + source.height); ++row) {
    std::memcpy(target.pixel(left, row), source.pixel(left - x, row - y),
                static_cast<std::size_t>(right - left) * 4);
  }
}

void fillRect(Image& image, int x, int y, int width, int height, const std::uint8_t color[4]) {
  for (int row = std::max(0, y); row < std::min(image.height, y + height); ++row) {
    for (int column = std::max(0, x); column < std::min(image.width, x + width); ++column) {
      std::memcpy(image.pixel(column, row), color, 4);
    }
  }
}

int textWidth(std::string_view text, int scale) {
  if (text.empty()) {
    return 0;
  }
  // The last cell needs no gap after it.
  return (static_cast<int>(text.size()) * cellWidth - (cellWidth - glyphWidth)) * scale;
}

void drawText(Image& image, std::string_view text, int x, int y, int scale,
              const std::uint8_t color[4]) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Glyph* glyph = findGlyph(text[i]);
    if (glyph == nullptr) {
      continue;
    }
    const int left = x + static_cast<int>(i) * cellWidth * scale;
    for (int row = 0; row < glyphHeight; ++row) {
      for (int column = 0; column < glyphWidth; ++column) {
        if (glyph->rows[row] & (0x10 >> column)) {
          fillRect(image, left + column * scale, y + row * scale, scale, scale, color);
        }
      }
    }
  }
}

}  // namespace tessaly::capture

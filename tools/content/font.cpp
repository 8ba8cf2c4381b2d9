#include "tools/content/font.h"

#include "tools/content/output.h"

#include <algorithm>
#include <cmath>

#include <stb_truetype.h>

namespace tessaly::content {

struct Font::State {
  std::string bytes;
  stbtt_fontinfo info{};
};

Font::Font(const std::filesystem::path& path) : state_(std::make_unique<State>()) {
  bool read = false;
  state_->bytes = readFile(path, read);
  if (!read || state_->bytes.empty()) {
    return;
  }
  const auto* data = reinterpret_cast<const unsigned char*>(state_->bytes.data());
  ok_ = stbtt_InitFont(&state_->info, data, stbtt_GetFontOffsetForIndex(data, 0)) != 0;
}

Font::~Font() = default;

float Font::measure(std::string_view text, float pixelHeight, float tracking) const {
  const float scale = stbtt_ScaleForPixelHeight(&state_->info, pixelHeight);
  float width = 0.0f;
  for (std::size_t i = 0; i < text.size(); ++i) {
    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(&state_->info, text[i], &advance, &bearing);
    width += advance * scale;
    if (i + 1 < text.size()) {
      width += scale * stbtt_GetCodepointKernAdvance(&state_->info, text[i], text[i + 1]);
      width += tracking;
    }
  }
  return width;
}

void Font::draw(Field& field, std::string_view text, float x, float baselineY, float pixelHeight,
                float tracking) const {
  const float scale = stbtt_ScaleForPixelHeight(&state_->info, pixelHeight);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int codepoint = static_cast<unsigned char>(text[i]);
    const float shiftX = x - std::floor(x);
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetCodepointBitmapBoxSubpixel(&state_->info, codepoint, scale, scale, shiftX, 0.0f, &x0,
                                        &y0, &x1, &y1);
    const int w = x1 - x0, h = y1 - y0;
    if (w > 0 && h > 0) {
      std::vector<unsigned char> glyph(static_cast<std::size_t>(w) * h);
      stbtt_MakeCodepointBitmapSubpixel(&state_->info, glyph.data(), w, h, w, scale, scale, shiftX,
                                        0.0f, codepoint);
      const int left = static_cast<int>(std::floor(x)) + x0;
      const int top = static_cast<int>(std::lround(baselineY)) + y0;
      for (int gy = 0; gy < h; ++gy) {
        for (int gx = 0; gx < w; ++gx) {
          const int px = left + gx, py = top + gy;
          if (px >= 0 && py >= 0 && px < field.width && py < field.height) {
            float& cell = field.at(px, py);
            cell = std::min(1.0f, cell + glyph[static_cast<std::size_t>(gy) * w + gx] / 255.0f);
          }
        }
      }
    }
    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(&state_->info, codepoint, &advance, &bearing);
    x += advance * scale;
    if (i + 1 < text.size()) {
      x += scale * stbtt_GetCodepointKernAdvance(&state_->info, codepoint,
                                                 static_cast<unsigned char>(text[i + 1]));
      x += tracking;
    }
  }
}

}  // namespace tessaly::content

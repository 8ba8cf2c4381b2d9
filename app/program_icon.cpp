// Draws the program's icon: the banner's kit (artwork.h) on a canvas four
// times the icon's size in each direction, then every 4 x 4 block of it
// averaged into one pixel, with the tile's rounded outline as alpha.
#include "app/program_icon.h"

#include "app/artwork.h"

#include <algorithm>
#include <cmath>

namespace tessaly::app {

namespace {

constexpr int samplesPerSide = 4;

// The tile, as fractions of the icon's side: a small margin and rounded
// corners.
constexpr float tileMargin = 0.03f;
constexpr float tileCornerRadius = 0.2f;

// Signed distance from (x, y) to the tile's outline on a canvas `side`
// pixels wide: negative inside.
float tileDistance(float x, float y, float side) {
  const float centre = side / 2;
  const float radius = tileCornerRadius * side;
  const float inner = centre - tileMargin * side - radius;
  const float qx = std::abs(x - centre) - inner;
  const float qy = std::abs(y - centre) - inner;
  const float outsideX = std::max(qx, 0.0f);
  const float outsideY = std::max(qy, 0.0f);
  return std::sqrt(outsideX * outsideX + outsideY * outsideY) + std::min(std::max(qx, qy), 0.0f) -
         radius;
}

// A thin band of light just inside the outline, brighter at the top.
void drawRim(Canvas& canvas, float width) {
  const float side = static_cast<float>(canvas.width());
  for (int y = 0; y < canvas.height(); ++y) {
    const float py = static_cast<float>(y) + 0.5f;
    const float opacity = 0.55f - 0.35f * py / side;
    for (int x = 0; x < canvas.width(); ++x) {
      const float d = tileDistance(static_cast<float>(x) + 0.5f, py, side);
      const float coverage = std::clamp(width / 2 + 0.5f - std::abs(d + width / 2), 0.0f, 1.0f);
      if (coverage > 0) {
        canvas.at(x, y) = mix(canvas.at(x, y), accent, coverage * opacity);
      }
    }
  }
}

Canvas drawTile(int side) {
  const float s = static_cast<float>(side);
  Canvas canvas(side, side);
  drawFacetMesh(canvas, s / 3.5f, std::max(1.0f, s / 96.0f));
  drawGlowBand(canvas, 0.42f * s, 0.2f * s);
  drawStrokes(canvas, setText("T", s / 2, 0.26f * s, 0.5f * s, 0.5f * s, 0.0f), 0.1f * s,
              0.06f * s, 0.5f);
  drawRim(canvas, std::max(1.0f, s / 40.0f));
  return canvas;
}

}  // namespace

platform::RgbaPicture programIcon(int size) {
  platform::RgbaPicture icon;
  if (size < 1 || size > maxIconSize) {
    return icon;
  }
  const int side = size * samplesPerSide;
  const Canvas canvas = drawTile(side);
  const float sideF = static_cast<float>(side);
  icon.width = size;
  icon.height = size;
  icon.rgba.reserve(static_cast<std::size_t>(size) * size * 4);
  const auto toByte = [](float value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
  };
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      // Straight alpha: the colour is the mean of the samples inside the
      // tile, the alpha the share of them.
      Colour sum{0, 0, 0};
      int inside = 0;
      for (int sy = y * samplesPerSide; sy < (y + 1) * samplesPerSide; ++sy) {
        for (int sx = x * samplesPerSide; sx < (x + 1) * samplesPerSide; ++sx) {
          if (tileDistance(static_cast<float>(sx) + 0.5f, static_cast<float>(sy) + 0.5f, sideF) <= 0) {
            const Colour& c = canvas.at(sx, sy);
            sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
            ++inside;
          }
        }
      }
      const float n = inside > 0 ? static_cast<float>(inside) : 1.0f;
      icon.rgba.push_back(toByte(sum.r / n));
      icon.rgba.push_back(toByte(sum.g / n));
      icon.rgba.push_back(toByte(sum.b / n));
      icon.rgba.push_back(toByte(static_cast<float>(inside) / (samplesPerSide * samplesPerSide)));
    }
  }
  return icon;
}

std::vector<platform::RgbaPicture> windowIcons() {
  std::vector<platform::RgbaPicture> icons;
  for (const int size : windowIconSizes) {
    icons.push_back(programIcon(size));
  }
  return icons;
}

}  // namespace tessaly::app

// The drawing kit of the pictures the program makes itself (the setup
// dialog's banner, the program's icon): a floating-point RGB canvas with
// flat triangles and anti-aliased lines, a faceted night-sky mesh, a glow
// band, and angular stroke lettering lit like neon, all in one palette.
// Integer hashing stands in for randomness, so every run draws the same
// pixels.
#pragma once

#include "platform/picture.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tessaly::app {

struct Colour {
  float r, g, b;
};

// a + (b - a) * t, per channel.
Colour mix(Colour a, Colour b, float t);

// A well-mixed 32-bit hash of two integers and a salt, as a float in [0, 1).
float hash01(std::uint32_t x, std::uint32_t y, std::uint32_t salt);

// The palette: a night sky from top to bottom, the light that glows in it,
// and the white-hot core of lettering.
inline constexpr Colour skyTop{0.035f, 0.055f, 0.12f};
inline constexpr Colour skyBottom{0.05f, 0.22f, 0.29f};
inline constexpr Colour accent{0.44f, 0.89f, 0.96f};
inline constexpr Colour titleCore{0.90f, 0.98f, 1.0f};

// Pixels in floating point, black at first; pixel (x, y) covers
// [x, x + 1) x [y, y + 1), its centre at (x + 0.5, y + 0.5).
class Canvas {
 public:
  Canvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  Colour& at(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  const Colour& at(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

  // Fills the triangle (x0, y0, x1, y1, x2, y2), any winding, with one
  // colour: the pixels whose centres lie inside or on its edges.
  void fillTriangle(const std::array<float, 6>& v, Colour colour);

  // An anti-aliased line `width` pixels wide, blended in with `opacity`.
  void drawLine(float x0, float y0, float x1, float y1, float width, Colour colour, float opacity);

  // 8 bits a channel, rounded, clamped to [0, 1] first.
  platform::Picture toPicture() const;

 private:
  int width_;
  int height_;
  std::vector<Colour> pixels_;
};

// Distance from (px, py) to the segment (x0, y0)-(x1, y1).
float distanceToSegment(float px, float py, float x0, float y0, float x1, float y1);

// Covers the canvas with triangles: a grid of `cell`-pixel cells reaching
// one cell past every edge, its points moved by up to 40% of a cell, each
// cell cut in two along an alternating diagonal. Facets take the sky
// gradient with a shade of their own and more light towards the upper
// right; their edges are drawn over them `lineWidth` pixels wide, faintly.
void drawFacetMesh(Canvas& canvas, float cell, float lineWidth);

// A horizontal band of light centred on `centreY`, fading over
// `halfHeight` pixels up and down and towards the left and right edges.
void drawGlowBand(Canvas& canvas, float centreY, float halfHeight);

struct Segment {
  float x0, y0, x1, y1;
};

// The segments of `text` (capitals of "TESALYDMO") set in letters `width` x
// `height` pixels with `gap` pixels between them, centred on `centreX`,
// top at `top`.
std::vector<Segment> setText(std::string_view text, float centreX, float top, float width,
                             float height, float gap);

// Draws segments as strokes `thickness` pixels wide, white-hot in the
// middle, with a halo `glow` pixels wide of strength `glowStrength`.
void drawStrokes(Canvas& canvas, const std::vector<Segment>& segments, float thickness, float glow,
                 float glowStrength);

}  // namespace tessaly::app

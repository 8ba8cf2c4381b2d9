// The drawing kit of the program's own pictures: see artwork.h.
#include "app/artwork.h"

#include <algorithm>
#include <cmath>

namespace tessaly::app {

Colour mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

float hash01(std::uint32_t x, std::uint32_t y, std::uint32_t salt) {
  std::uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ salt * 0xcb1ab31fu;
  h ^= h >> 16;
  h *= 0x7feb352du;
  h ^= h >> 15;
  h *= 0x846ca68bu;
  h ^= h >> 16;
  return static_cast<float>(h >> 8) / 16777216.0f;
}

Canvas::Canvas(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, Colour{0, 0, 0}) {}

void Canvas::fillTriangle(const std::array<float, 6>& v, Colour colour) {
  const int minX = std::max(0, static_cast<int>(std::floor(std::min({v[0], v[2], v[4]}))));
  const int maxX = std::min(width_ - 1, static_cast<int>(std::ceil(std::max({v[0], v[2], v[4]}))));
  const int minY = std::max(0, static_cast<int>(std::floor(std::min({v[1], v[3], v[5]}))));
  const int maxY = std::min(height_ - 1, static_cast<int>(std::ceil(std::max({v[1], v[3], v[5]}))));
  const float area = (v[2] - v[0]) * (v[5] - v[1]) - (v[3] - v[1]) * (v[4] - v[0]);
  if (area == 0.0f) {
    return;
  }
  const float sign = area > 0 ? 1.0f : -1.0f;
  for (int y = minY; y <= maxY; ++y) {
    for (int x = minX; x <= maxX; ++x) {
      const float px = static_cast<float>(x) + 0.5f;
      const float py = static_cast<float>(y) + 0.5f;
      const float e0 = ((v[2] - v[0]) * (py - v[1]) - (v[3] - v[1]) * (px - v[0])) * sign;
      const float e1 = ((v[4] - v[2]) * (py - v[3]) - (v[5] - v[3]) * (px - v[2])) * sign;
      const float e2 = ((v[0] - v[4]) * (py - v[5]) - (v[1] - v[5]) * (px - v[4])) * sign;
      if (e0 >= 0 && e1 >= 0 && e2 >= 0) {
        at(x, y) = colour;
      }
    }
  }
}

void Canvas::drawLine(float x0, float y0, float x1, float y1, float width, Colour colour,
                      float opacity) {
  const float reach = width / 2 + 1;
  const int minX = std::max(0, static_cast<int>(std::floor(std::min(x0, x1) - reach)));
  const int maxX = std::min(width_ - 1, static_cast<int>(std::ceil(std::max(x0, x1) + reach)));
  const int minY = std::max(0, static_cast<int>(std::floor(std::min(y0, y1) - reach)));
  const int maxY = std::min(height_ - 1, static_cast<int>(std::ceil(std::max(y0, y1) + reach)));
  for (int y = minY; y <= maxY; ++y) {
    for (int x = minX; x <= maxX; ++x) {
      const float d = distanceToSegment(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f,
                                        x0, y0, x1, y1);
      const float coverage = std::clamp(width / 2 + 0.5f - d, 0.0f, 1.0f);
      if (coverage > 0) {
        at(x, y) = mix(at(x, y), colour, coverage * opacity);
      }
    }
  }
}

platform::Picture Canvas::toPicture() const {
  platform::Picture picture;
  picture.width = width_;
  picture.height = height_;
  picture.rgb.reserve(pixels_.size() * 3);
  for (const Colour& c : pixels_) {
    for (float channel : {c.r, c.g, c.b}) {
      picture.rgb.push_back(static_cast<std::uint8_t>(std::clamp(channel, 0.0f, 1.0f) * 255.0f + 0.5f));
    }
  }
  return picture;
}

float distanceToSegment(float px, float py, float x0, float y0, float x1, float y1) {
  const float dx = x1 - x0;
  const float dy = y1 - y0;
  const float lengthSquared = dx * dx + dy * dy;
  float t = lengthSquared > 0 ? ((px - x0) * dx + (py - y0) * dy) / lengthSquared : 0.0f;
  t = std::clamp(t, 0.0f, 1.0f);
  const float ex = px - (x0 + t * dx);
  const float ey = py - (y0 + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

void drawFacetMesh(Canvas& canvas, float cell, float lineWidth) {
  const float width = static_cast<float>(canvas.width());
  const float height = static_cast<float>(canvas.height());
  const int columns = static_cast<int>(std::ceil(width / cell)) + 2;
  const int rows = static_cast<int>(std::ceil(height / cell)) + 2;
  using Point = std::array<float, 2>;
  std::vector<Point> points(static_cast<std::size_t>(columns + 1) * (rows + 1));
  const auto point = [&](int i, int j) -> Point& {
    return points[static_cast<std::size_t>(j) * (columns + 1) + i];
  };
  for (int j = 0; j <= rows; ++j) {
    for (int i = 0; i <= columns; ++i) {
      const float jitterX = (hash01(i, j, 1) - 0.5f) * 0.8f * cell;
      const float jitterY = (hash01(i, j, 2) - 0.5f) * 0.8f * cell;
      point(i, j) = {(static_cast<float>(i) - 1) * cell + jitterX,
                     (static_cast<float>(j) - 1) * cell + jitterY};
    }
  }
  std::vector<std::array<float, 4>> edges;
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < columns; ++i) {
      const Point& a = point(i, j);
      const Point& b = point(i + 1, j);
      const Point& c = point(i + 1, j + 1);
      const Point& d = point(i, j + 1);
      const bool flip = ((i + j) & 1) != 0;
      const std::array<std::array<float, 6>, 2> triangles = {
          flip ? std::array<float, 6>{a[0], a[1], b[0], b[1], d[0], d[1]}
               : std::array<float, 6>{a[0], a[1], b[0], b[1], c[0], c[1]},
          flip ? std::array<float, 6>{b[0], b[1], c[0], c[1], d[0], d[1]}
               : std::array<float, 6>{a[0], a[1], c[0], c[1], d[0], d[1]}};
      for (int t = 0; t < 2; ++t) {
        const auto& v = triangles[t];
        const float cx = (v[0] + v[2] + v[4]) / 3;
        const float cy = (v[1] + v[3] + v[5]) / 3;
        Colour base = mix(skyTop, skyBottom, std::clamp(cy / height, 0.0f, 1.0f));
        const float facet = (hash01(i * 2 + t, j, 3) - 0.5f) * 0.35f;
        const float light = std::clamp(cx / width * 0.6f - cy / height * 0.3f, 0.0f, 1.0f);
        base = mix(base, accent, std::clamp(0.05f + facet * 0.35f + light * 0.16f, 0.0f, 1.0f));
        canvas.fillTriangle(v, base);
      }
      edges.push_back({a[0], a[1], b[0], b[1]});
      edges.push_back({a[0], a[1], d[0], d[1]});
      edges.push_back(flip ? std::array<float, 4>{b[0], b[1], d[0], d[1]}
                           : std::array<float, 4>{a[0], a[1], c[0], c[1]});
    }
  }
  for (const auto& e : edges) {
    canvas.drawLine(e[0], e[1], e[2], e[3], lineWidth, accent, 0.14f);
  }
}

void drawGlowBand(Canvas& canvas, float centreY, float halfHeight) {
  const float width = static_cast<float>(canvas.width());
  for (int y = 0; y < canvas.height(); ++y) {
    const float dy = (static_cast<float>(y) - centreY) / halfHeight;
    const float band = std::exp(-dy * dy);
    for (int x = 0; x < canvas.width(); ++x) {
      const float dx = (static_cast<float>(x) - width / 2.0f) / (width * 0.45f);
      const float fade = std::exp(-dx * dx);
      canvas.at(x, y) = mix(canvas.at(x, y), accent, band * fade * 0.22f);
    }
  }
}

namespace {

// Stroke letters in a box one unit high and one unit wide (y down); each
// letter is a few polylines.
using Polyline = std::vector<std::array<float, 2>>;

std::vector<Polyline> letterStrokes(char letter) {
  switch (letter) {
    case 'T': return {{{0, 0}, {1, 0}}, {{0.5f, 0}, {0.5f, 1}}};
    case 'E': return {{{1, 0}, {0, 0}, {0, 1}, {1, 1}}, {{0, 0.5f}, {0.78f, 0.5f}}};
    case 'S':
      return {{{1, 0}, {0.18f, 0}, {0, 0.16f}, {0, 0.34f}, {0.18f, 0.5f}, {0.82f, 0.5f},
               {1, 0.66f}, {1, 0.84f}, {0.82f, 1}, {0, 1}}};
    case 'A': return {{{0, 1}, {0.5f, 0}, {1, 1}}, {{0.24f, 0.6f}, {0.76f, 0.6f}}};
    case 'L': return {{{0, 0}, {0, 1}, {1, 1}}};
    case 'Y': return {{{0, 0}, {0.5f, 0.52f}, {1, 0}}, {{0.5f, 0.52f}, {0.5f, 1}}};
    case 'D': return {{{0, 0}, {0, 1}, {0.68f, 1}, {1, 0.7f}, {1, 0.3f}, {0.68f, 0}, {0, 0}}};
    case 'M': return {{{0, 1}, {0, 0}, {0.5f, 0.56f}, {1, 0}, {1, 1}}};
    case 'O':
      return {{{0.28f, 0}, {0.72f, 0}, {1, 0.28f}, {1, 0.72f}, {0.72f, 1}, {0.28f, 1},
               {0, 0.72f}, {0, 0.28f}, {0.28f, 0}}};
    default: return {};
  }
}

}  // namespace

std::vector<Segment> setText(std::string_view text, float centreX, float top, float width,
                             float height, float gap) {
  const float total = static_cast<float>(text.size()) * (width + gap) - gap;
  float left = centreX - total / 2;
  std::vector<Segment> segments;
  for (char letter : text) {
    for (const Polyline& line : letterStrokes(letter)) {
      for (std::size_t k = 1; k < line.size(); ++k) {
        segments.push_back({left + line[k - 1][0] * width, top + line[k - 1][1] * height,
                            left + line[k][0] * width, top + line[k][1] * height});
      }
    }
    left += width + gap;
  }
  return segments;
}

void drawStrokes(Canvas& canvas, const std::vector<Segment>& segments, float thickness, float glow,
                 float glowStrength) {
  float minX = static_cast<float>(canvas.width()), minY = static_cast<float>(canvas.height());
  float maxX = 0, maxY = 0;
  for (const Segment& s : segments) {
    minX = std::min({minX, s.x0, s.x1});
    maxX = std::max({maxX, s.x0, s.x1});
    minY = std::min({minY, s.y0, s.y1});
    maxY = std::max({maxY, s.y0, s.y1});
  }
  const float reach = thickness + glow * 3;
  const int x0 = std::max(0, static_cast<int>(minX - reach));
  const int x1 = std::min(canvas.width() - 1, static_cast<int>(maxX + reach));
  const int y0 = std::max(0, static_cast<int>(minY - reach));
  const int y1 = std::min(canvas.height() - 1, static_cast<int>(maxY + reach));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      float d = 1e9f;
      for (const Segment& s : segments) {
        d = std::min(d, distanceToSegment(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f,
                                          s.x0, s.y0, s.x1, s.y1));
      }
      const float outside = std::max(0.0f, d - thickness / 2);
      const float halo = std::exp(-(outside * outside) / (glow * glow)) * glowStrength;
      const Colour c = mix(canvas.at(x, y), accent, halo);
      const float core = std::clamp(thickness / 2 + 0.5f - d, 0.0f, 1.0f);
      canvas.at(x, y) = mix(c, titleCore, core);
    }
  }
}

}  // namespace tessaly::app

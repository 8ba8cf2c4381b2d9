// The models' maps: 512 x 512 pictures that tile (the models repeat them),
// colour maps and bump maps, and White.png. A bump map describes the
// surface for Model.frag: height in red, metalness in green, sharpness of
// the highlight in blue, gloss in alpha.
//   Steel / SteelBump         brushed steel (grinders, axle)
//   Copper / CopperBump       hammered copper with patina (grinder teeth)
//   Plate / PlateBump         diamond tread plate (floor plates, crusher)
//   Hazard / HazardBump       worn yellow and black stripes
//   Marble / MarbleBump       marble floor tiles (the ball room)
//   Dimples                   golf-ball dimples (the balls)
//   Lacquer / Engraving       red lacquer with gold crackle, engraved panels
//                             (the box)
//   GildedBump                the engraved panels in gold leaf
//   Hammered                  hammered black glass (the box's plinth)
#include "tools/content/textures.h"

#include "tools/content/image.h"
#include "tools/content/noise.h"
#include "tools/content/parallel.h"

#include <algorithm>
#include <cmath>

namespace tessaly::content {

namespace {

constexpr int mapSize = 512;
constexpr float twoPi = 6.28318530717959f;

template <typename Shade>
Image paintMap(Shade shade) {
  return paintImage(mapSize, mapSize, shade);
}

// How a surface takes the light, apart from its height: 0 to 1 each.
struct Finish {
  float metal;
  float sharpness;
  float gloss;
};
constexpr Finish metalFinish(float sharpness, float gloss) { return {1.0f, sharpness, gloss}; }
constexpr Finish paintFinish(float sharpness, float gloss) { return {0.0f, sharpness, gloss}; }

// A bump map from height(u, v) in 0..1 and a finish.
template <typename Height>
Image paintBump(Height height, Finish finish) {
  return paintImage(mapSize, mapSize, [&](float u, float v) {
    const float h = std::clamp(height(u, v), 0.0f, 1.0f);
    return glm::vec4(h, finish.metal, finish.sharpness, finish.gloss);
  });
}

glm::vec4 opaque(glm::vec3 colour) { return glm::vec4(colour, 1.0f); }

float brushed(float u, float v) { return fbm2Tiled(u * 4.0f, v * 160.0f, 4, 160, 3, 0.5f, 201); }

float blotches(float u, float v, unsigned seed) {
  return fbm2Tiled(u * 5.0f, v * 5.0f, 5, 5, 5, 0.55f, seed);
}

// Diamond tread: each of 8 x 8 cells holds one raised lens, turned +45 or
// -45 degrees in a checker pattern.
float treadLens(float u, float v) {
  const float cu = u * 8.0f, cv = v * 8.0f;
  const int iu = static_cast<int>(cu), iv = static_cast<int>(cv);
  const float lu = cu - iu - 0.5f, lv = cv - iv - 0.5f;
  const float sign = ((iu + iv) % 2 == 0) ? 1.0f : -1.0f;
  const float a = (lu + sign * lv) * 0.70710678f;
  const float b = (lu - sign * lv) * 0.70710678f;
  const float e = 1.0f - (a / 0.36f) * (a / 0.36f) - (b / 0.085f) * (b / 0.085f);
  return e > 0.0f ? std::sqrt(e) : 0.0f;
}

// Marble tiles: 4 x 4 tiles per map, veins from a turbulent sine.
struct MarbleSample {
  float vein;
  float grout;
  float tint;
};

MarbleSample marble(float u, float v) {
  const float turbulence = fbm2Tiled(u * 4.0f, v * 4.0f, 4, 4, 5, 0.55f, 301);
  const float m = std::sin(twoPi * (2.0f * u + 3.0f * v) + 6.0f * turbulence);
  const float fine = fbm2Tiled(u * 16.0f, v * 16.0f, 16, 16, 3, 0.5f, 302);
  const float tu = u * 4.0f - std::floor(u * 4.0f), tv = v * 4.0f - std::floor(v * 4.0f);
  const float edge = std::min(std::min(tu, 1.0f - tu), std::min(tv, 1.0f - tv));
  const int tile = static_cast<int>(u * 4.0f) + 4 * static_cast<int>(v * 4.0f);
  return MarbleSample{1.0f - smoothstep(0.0f, 0.22f + 0.1f * fine, std::fabs(m)),
                      1.0f - smoothstep(0.008f, 0.02f, edge),
                      0.5f + 0.5f * std::sin(static_cast<float>(tile) * 2.4f)};
}

// Golf-ball dimples on a staggered grid of 16 columns and 18 rows.
float dimples(float u, float v) {
  float depth = 0.0f;
  const float cu = u * 16.0f, cv = v * 18.0f;
  const int row = static_cast<int>(cv);
  for (int dr = -1; dr <= 1; ++dr) {
    const int r = row + dr;
    const float offset = (((r % 2) + 2) % 2) * 0.5f;
    const float centreV = static_cast<float>(r) + 0.5f;
    const float col = std::floor(cu - offset);
    for (int dc = -1; dc <= 1; ++dc) {
      const float centreU = col + static_cast<float>(dc) + offset + 0.5f;
      const float du = cu - centreU, dv = (cv - centreV) * 0.9f;
      const float d2 = (du * du + dv * dv) / (0.42f * 0.42f);
      if (d2 < 1.0f) {
        depth = std::max(depth, 1.0f - d2);
      }
    }
  }
  return 1.0f - 0.8f * depth;
}

float crackle(float u, float v) {
  const CellDistances cells = worley2Tiled(u * 6.0f, v * 6.0f, 6, 401);
  return 1.0f - smoothstep(0.02f, 0.06f, cells.second - cells.nearest);
}

// Engraved panel: two grooves along the border and a ring in the middle.
float engraving(float u, float v) {
  const float edge = std::min(std::min(u, 1.0f - u), std::min(v, 1.0f - v));
  auto groove = [](float distance, float centre, float width) {
    return 1.0f - smoothstep(0.0f, width, std::fabs(distance - centre));
  };
  const float ring = std::hypot(u - 0.5f, v - 0.5f);
  float height = 0.9f;
  height -= 0.8f * groove(edge, 0.07f, 0.018f);
  height -= 0.6f * groove(edge, 0.13f, 0.012f);
  height -= 0.7f * groove(ring, 0.24f, 0.016f);
  height -= 0.5f * groove(ring, 0.18f, 0.01f);
  height += 0.1f * smoothstep(0.0f, 0.04f, edge) - 0.1f;
  return height - 0.25f * crackle(u, v);
}

}  // namespace

bool writeMaterialMaps(const std::filesystem::path& dir) {
  bool ok = true;

  ok &= writePng(paintMap([](float u, float v) {
                   const float b = brushed(u, v), m = blotches(u, v, 202);
                   return opaque(glm::vec3(0.6f, 0.62f, 0.66f) * (0.86f + 0.16f * b + 0.12f * m));
                 }),
                 dir / "Steel.png");
  ok &= writePng(paintBump([](float u, float v) { return 0.5f + 0.45f * brushed(u, v); },
                           metalFinish(0.45f, 0.9f)),
                 dir / "SteelBump.png");

  // Hammered copper, darkened by use, with a little patina in the hollows.
  auto hammered = [](float u, float v) {
    const CellDistances cells = worley2Tiled(u * 12.0f, v * 12.0f, 12, 211);
    return 0.4f + 0.45f * std::min(1.0f, cells.nearest * 1.4f);
  };
  ok &= writePng(paintMap([](float u, float v) {
                   const CellDistances cells = worley2Tiled(u * 12.0f, v * 12.0f, 12, 211);
                   const float patina = smoothstep(0.2f, 0.45f, blotches(u, v, 212));
                   glm::vec3 colour = glm::vec3(0.68f, 0.52f, 0.43f) *
                                      (0.88f + 0.18f * cells.nearest);
                   colour = mix3(colour, glm::vec3(0.36f, 0.5f, 0.46f), patina * 0.6f);
                   return opaque(colour);
                 }),
                 dir / "Copper.png");
  ok &= writePng(paintBump(hammered, metalFinish(0.35f, 0.85f)), dir / "CopperBump.png");
  ok &= writePng(paintBump(hammered, paintFinish(0.9f, 1.0f)), dir / "Hammered.png");

  ok &= writePng(paintMap([](float u, float v) {
                   const float lens = treadLens(u, v), m = blotches(u, v, 221);
                   return opaque(glm::vec3(0.4f, 0.41f, 0.44f) * (0.85f + 0.2f * m) +
                                 glm::vec3(0.14f) * lens);
                 }),
                 dir / "Plate.png");
  ok &= writePng(paintBump([](float u, float v) { return 0.2f + 0.8f * treadLens(u, v); },
                           metalFinish(0.3f, 0.7f)),
                 dir / "PlateBump.png");

  auto hazardWear = [](float u, float v) { return smoothstep(0.25f, 0.5f, blotches(u, v, 231)); };
  ok &= writePng(paintMap([&](float u, float v) {
                   const float stripe = u + v;
                   const bool yellow = (stripe * 6.0f - std::floor(stripe * 6.0f)) < 0.5f;
                   glm::vec3 colour = yellow ? glm::vec3(0.92f, 0.7f, 0.1f) : glm::vec3(0.07f);
                   colour = mix3(colour, glm::vec3(0.45f, 0.44f, 0.42f), hazardWear(u, v) * 0.8f);
                   return opaque(colour);
                 }),
                 dir / "Hazard.png");
  // The paint stands a little proud of the worn patches.
  ok &= writePng(paintBump([&](float u, float v) { return 0.7f - 0.4f * hazardWear(u, v); },
                           paintFinish(0.25f, 0.35f)),
                 dir / "HazardBump.png");

  ok &= writePng(paintMap([](float u, float v) {
                   const MarbleSample s = marble(u, v);
                   glm::vec3 base = mix3(glm::vec3(0.74f, 0.71f, 0.66f), glm::vec3(0.66f, 0.7f, 0.72f),
                                         s.tint);
                   glm::vec3 colour = mix3(base, glm::vec3(0.26f, 0.35f, 0.33f), s.vein * 0.85f);
                   colour = mix3(colour, glm::vec3(0.16f, 0.15f, 0.14f), s.grout);
                   return opaque(colour);
                 }),
                 dir / "Marble.png");
  ok &= writePng(paintBump([](float u, float v) {
                   const MarbleSample s = marble(u, v);
                   return 0.85f - 0.75f * s.grout - 0.08f * s.vein;
                 }, paintFinish(0.8f, 0.8f)),
                 dir / "MarbleBump.png");

  ok &= writePng(paintBump(dimples, paintFinish(0.75f, 0.9f)), dir / "Dimples.png");

  ok &= writePng(paintMap([](float u, float v) {
                   const float m = blotches(u, v, 241);
                   glm::vec3 colour = glm::vec3(0.45f, 0.05f, 0.06f) * (0.75f + 0.4f * m);
                   colour = mix3(colour, glm::vec3(0.92f, 0.7f, 0.28f), crackle(u, v));
                   const float e = engraving(u, v);
                   colour = mix3(glm::vec3(0.85f, 0.62f, 0.22f), colour, smoothstep(0.2f, 0.6f, e));
                   return opaque(colour);
                 }),
                 dir / "Lacquer.png");
  ok &= writePng(paintBump(engraving, paintFinish(0.9f, 1.0f)), dir / "Engraving.png");
  ok &= writePng(paintBump(engraving, metalFinish(0.6f, 1.0f)), dir / "GildedBump.png");

  ok &= writePng(Image(8, 8, glm::vec4(1.0f)), dir / "White.png");
  return ok;
}

}  // namespace tessaly::content

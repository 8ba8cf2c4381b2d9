// The three skies, equirectangular 2048 x 1024 pictures for the inside of
// the sky sphere. Each pixel is computed from its direction on the sphere
// (sphereDirection), so the pictures have no seam and no pinched poles.
//   SkySphere.png   a violet and teal nebula with stars (scene 1)
//   SkySphere2.jpg  banded copper storm clouds, made to show off the
//                   scrolling distortion of scene 2
//   SkySphere3.png  a teal dusk with a warm horizon and aurora curtains
//                   (scenes 3 and 4)
#include "tools/content/textures.h"

#include "tools/content/image.h"
#include "tools/content/layout.h"
#include "tools/content/mesh.h"
#include "tools/content/noise.h"
#include "tools/content/parallel.h"
#include "tools/content/random.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

namespace tessaly::content {

namespace {

constexpr int skyWidth = 2048;
constexpr int skyHeight = 1024;

// The top row of the picture is the top of the sky (texture v = 1).
template <typename Shade>
Image paintSky(Shade shade) {
  return paintImage(skyWidth, skyHeight, [&](float u, float v) {
    return glm::vec4(shade(sphereDirection(u, 1.0f - v)), 1.0f);
  });
}

// Adds `count` small round stars at random directions; brightness and
// tint vary. Stars are widened towards the poles as the mapping stretches.
void addStars(Image& image, int count, unsigned seed, float minimumLatitude) {
  Random random(seed);
  for (int i = 0; i < count; ++i) {
    const float u = static_cast<float>(random.uniform());
    const float v =
        1.0f - static_cast<float>(std::acos(1.0 - 2.0 * random.uniform()) / layout::pi);
    const float latitude = (v - 0.5f) * layout::pi;
    const float brightness = static_cast<float>(std::pow(random.uniform(), 3.0)) * 1.2f + 0.15f;
    const float warmth = static_cast<float>(random.uniform());
    if (latitude < minimumLatitude) {
      continue;
    }
    const glm::vec3 tint = mix3(glm::vec3(0.75f, 0.85f, 1.0f), glm::vec3(1.0f, 0.9f, 0.75f), warmth);
    const float cx = u * skyWidth, cy = (1.0f - v) * skyHeight;
    const float stretch = 1.0f / std::max(0.08f, std::cos(latitude));
    const float radius = 0.7f + brightness;
    const int rx = static_cast<int>(std::ceil(radius * 2.5f * stretch));
    const int ry = static_cast<int>(std::ceil(radius * 2.5f));
    for (int dy = -ry; dy <= ry; ++dy) {
      for (int dx = -rx; dx <= rx; ++dx) {
        const int px = ((static_cast<int>(cx) + dx) % skyWidth + skyWidth) % skyWidth;
        const int py = static_cast<int>(cy) + dy;
        if (py < 0 || py >= skyHeight) {
          continue;
        }
        const float ex = (static_cast<float>(static_cast<int>(cx) + dx) + 0.5f - cx) / stretch;
        const float ey = static_cast<float>(py) + 0.5f - cy;
        const float falloff = std::exp(-(ex * ex + ey * ey) / (radius * radius));
        glm::vec4& pixel = image.at(px, py);
        pixel += glm::vec4(tint * (brightness * falloff), 0.0f);
      }
    }
  }
}

glm::vec3 nebula(glm::vec3 d) {
  const glm::vec3 warp(fbm3(d.x * 1.6f, d.y * 1.6f, d.z * 1.6f, 4, 0.5f, 11),
                       fbm3(d.x * 1.6f + 5.2f, d.y * 1.6f, d.z * 1.6f, 4, 0.5f, 12),
                       fbm3(d.x * 1.6f, d.y * 1.6f + 9.1f, d.z * 1.6f, 4, 0.5f, 13));
  const glm::vec3 q = d * 2.3f + warp * 1.4f;
  const float density = fbm3(q.x, q.y, q.z, 6, 0.55f, 21);
  const float filaments = ridged3(q.x * 1.7f, q.y * 1.7f, q.z * 1.7f, 4, 0.5f, 31);
  const float hue = fbm3(d.x * 1.1f + 3.0f, d.y * 1.1f, d.z * 1.1f, 3, 0.5f, 41);
  // A band of denser cloud across the sky, brightest around one direction.
  const float band = std::exp(-std::pow((d.y + 0.35f * d.x) / 0.45f, 2.0f));
  const float core = std::pow(std::max(0.0f, glm::dot(d, glm::vec3(0.64f, 0.3f, -0.71f))), 6.0f);
  const float cloud = smoothstep(-0.15f, 0.55f, density) * (0.35f + 0.9f * band) + 0.9f * core;
  const glm::vec3 violet(0.62f, 0.18f, 0.66f), teal(0.12f, 0.6f, 0.7f), rose(0.95f, 0.45f, 0.55f);
  glm::vec3 colour = mix3(violet, teal, smoothstep(-0.3f, 0.3f, hue));
  colour = mix3(colour, rose, smoothstep(0.6f, 1.0f, filaments) * 0.6f);
  const glm::vec3 space(0.035f, 0.04f, 0.1f);
  const float glow = cloud * (0.55f + 0.6f * filaments);
  return space + colour * glow + glm::vec3(1.0f, 0.85f, 0.9f) * core * 0.5f;
}

glm::vec3 copperStorm(glm::vec3 d) {
  const float turbulence = fbm3(d.x * 2.5f, d.y * 2.5f, d.z * 2.5f, 5, 0.55f, 51);
  const float detail = fbm3(d.x * 9.0f, d.y * 9.0f, d.z * 9.0f, 4, 0.5f, 52);
  const float bands = std::sin(d.y * 14.0f + turbulence * 7.0f + detail * 1.5f);
  const float streaks = ridged3(d.x * 3.0f, d.y * 12.0f, d.z * 3.0f, 4, 0.5f, 53);
  const glm::vec3 ember(0.35f, 0.07f, 0.04f), copper(0.9f, 0.42f, 0.14f), gold(1.0f, 0.8f, 0.42f);
  const float t = 0.5f + 0.5f * bands;
  glm::vec3 colour = mix3(ember, copper, smoothstep(0.1f, 0.7f, t));
  colour = mix3(colour, gold, smoothstep(0.55f, 0.95f, streaks) * 0.8f);
  // Darker towards the poles so the column of grinders stands out.
  const float shade = 0.55f + 0.45f * (1.0f - std::fabs(d.y));
  return colour * shade * (0.8f + 0.3f * detail);
}

glm::vec3 dusk(glm::vec3 d) {
  const float y = d.y;
  const glm::vec3 horizon(0.95f, 0.58f, 0.45f), middle(0.12f, 0.38f, 0.48f),
      zenith(0.03f, 0.06f, 0.16f), ground(0.1f, 0.15f, 0.17f);
  glm::vec3 colour;
  if (y >= 0.0f) {
    colour = mix3(horizon, middle, smoothstep(0.0f, 0.35f, y));
    colour = mix3(colour, zenith, smoothstep(0.3f, 0.95f, y));
  } else {
    colour = mix3(horizon * 0.6f, ground, smoothstep(0.0f, 0.25f, -y));
  }
  const float haze = fbm3(d.x * 3.0f, d.y * 6.0f, d.z * 3.0f, 5, 0.5f, 61);
  colour *= 0.9f + 0.25f * haze;
  // Aurora curtains: vertical folds along a wavy band of latitude.
  const float longitude = std::atan2(d.z, d.x);
  const float wave = 0.45f + 0.08f * std::sin(longitude * 3.0f) +
                     0.06f * fbm3(d.x * 2.0f, 0.0f, d.z * 2.0f, 3, 0.5f, 62);
  const float curtain = std::exp(-std::pow((y - wave) / 0.12f, 2.0f)) * smoothstep(0.0f, 0.15f, y);
  const float folds = ridged3(d.x * 5.0f, d.y * 0.8f, d.z * 5.0f, 4, 0.5f, 63);
  const glm::vec3 aurora = mix3(glm::vec3(0.2f, 0.95f, 0.55f), glm::vec3(0.35f, 0.55f, 1.0f),
                                smoothstep(wave - 0.05f, wave + 0.12f, y));
  colour += aurora * curtain * (0.25f + 1.1f * folds * folds);
  return colour;
}

}  // namespace

bool writeSkies(const std::filesystem::path& texturesDir) {
  Image first = paintSky(nebula);
  addStars(first, 4200, 101, -2.0f);
  Image second = paintSky(copperStorm);
  Image third = paintSky(dusk);
  addStars(third, 1500, 103, 0.6f);
  return writePng(first, texturesDir / "SkySphere.png") &&
         writeJpeg(second, texturesDir / "SkySphere2.jpg", 90) &&
         writePng(third, texturesDir / "SkySphere3.png");
}

}  // namespace tessaly::content

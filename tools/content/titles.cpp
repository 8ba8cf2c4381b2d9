// The title overlays (1280 x 720, 16:9 like the letterboxed view they cover,
// transparent around the lettering) and the loading picture.
//   Pallon.png   "PALLON" / "presents"            (overlay 2, first in scene 1)
//   Tessaly.png  "TESSALY" / "demosystem"         (overlay 1, scene 1)
//   Success.png  "SUCCESS" / "four scenes, one soundtrack"  (overlay 3, scene 4)
//   Next.png     "NEXT" / "see you at the next party"       (overlay 4, scene 4)
// Each title is lettering with a vertical colour gradient over a soft dark
// shadow and a wide coloured glow; the alpha channel carries the shape.
#include "tools/content/textures.h"

#include "tools/content/font.h"
#include "tools/content/image.h"
#include "tools/content/noise.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tessaly::content {

namespace {

constexpr int titleWidth = 1280;
constexpr int titleHeight = 720;

struct TitleStyle {
  const char* big;
  const char* small;
  glm::vec3 top;
  glm::vec3 bottom;
  glm::vec3 glow;
  glm::vec3 smallColour;
};

// Premultiplied "over" of one layer onto the picture.
void over(Image& image, const Field& alpha, float opacity, auto colourAt) {
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const float a = std::clamp(alpha.at(x, y) * opacity, 0.0f, 1.0f);
      if (a <= 0.0f) {
        continue;
      }
      glm::vec4& p = image.at(x, y);
      const glm::vec3 c = colourAt(x, y);
      p = glm::vec4(c * a + glm::vec3(p) * (1.0f - a), a + p.a * (1.0f - a));
    }
  }
}

Field shifted(const Field& field, int dx, int dy) {
  Field out(field.width, field.height);
  for (int y = 0; y < field.height; ++y) {
    for (int x = 0; x < field.width; ++x) {
      const int sx = x - dx, sy = y - dy;
      if (sx >= 0 && sy >= 0 && sx < field.width && sy < field.height) {
        out.at(x, y) = field.at(sx, sy);
      }
    }
  }
  return out;
}

Field maxOf(const Field& a, const Field& b) {
  Field out(a.width, a.height);
  for (std::size_t i = 0; i < a.values.size(); ++i) {
    out.values[i] = std::max(a.values[i], b.values[i]);
  }
  return out;
}

// A thin horizontal bar that fades out at both ends.
void drawRule(Field& field, float centreX, float y, float halfWidth, float thickness) {
  for (int py = static_cast<int>(y - thickness); py <= static_cast<int>(y + thickness); ++py) {
    for (int px = static_cast<int>(centreX - halfWidth); px <= static_cast<int>(centreX + halfWidth);
         ++px) {
      if (px < 0 || py < 0 || px >= field.width || py >= field.height) {
        continue;
      }
      const float along = 1.0f - std::fabs(static_cast<float>(px) - centreX) / halfWidth;
      const float across = 1.0f - std::fabs(static_cast<float>(py) + 0.5f - y) / thickness;
      field.at(px, py) = std::max(field.at(px, py), smoothstep(0.0f, 0.5f, along) *
                                                        std::clamp(across, 0.0f, 1.0f));
    }
  }
}

Image makeTitle(const Font& bold, const Font& regular, const TitleStyle& style) {
  const float bigHeight = 190.0f, bigTracking = 10.0f;
  const float smallHeight = 46.0f, smallTracking = 9.0f;
  const float baseline = 400.0f;
  const float centreX = titleWidth * 0.5f;

  Field big(titleWidth, titleHeight);
  const float bigWidth = bold.measure(style.big, bigHeight, bigTracking);
  bold.draw(big, style.big, centreX - bigWidth * 0.5f, baseline, bigHeight, bigTracking);

  Field small(titleWidth, titleHeight);
  const float smallWidth = regular.measure(style.small, smallHeight, smallTracking);
  regular.draw(small, style.small, centreX - smallWidth * 0.5f, baseline + 84.0f, smallHeight,
               smallTracking);
  drawRule(small, centreX, baseline + 26.0f, std::max(bigWidth, smallWidth) * 0.55f, 2.0f);

  const Field lettering = maxOf(big, small);
  const Field glow = blur(lettering, 34, false);
  const Field shadow = blur(shifted(lettering, 5, 8), 10, false);

  Image image(titleWidth, titleHeight);
  over(image, glow, 1.6f, [&](int, int) { return style.glow; });
  over(image, shadow, 0.85f, [&](int, int) { return glm::vec3(0.0f); });
  const float top = baseline - bigHeight * 0.75f;
  over(image, big, 1.0f, [&](int, int y) {
    return mix3(style.top, style.bottom, std::clamp((y - top) / (baseline - top), 0.0f, 1.0f));
  });
  over(image, small, 1.0f, [&](int, int) { return style.smallColour; });

  // Back to straight alpha, as the overlay draw blends with source alpha.
  for (glm::vec4& p : image.pixels) {
    if (p.a > 0.0f) {
      p = glm::vec4(glm::vec3(p) / p.a, p.a);
    }
  }
  return image;
}

Image makeLoading(const Font& bold, const Font& regular) {
  Image image(titleWidth, titleHeight);
  for (int y = 0; y < titleHeight; ++y) {
    for (int x = 0; x < titleWidth; ++x) {
      const float u = static_cast<float>(x) / titleWidth, v = static_cast<float>(y) / titleHeight;
      const float haze = fbm2Tiled(u * 6.0f, v * 6.0f, 6, 6, 5, 0.5f, 501);
      const float vignette = 1.0f - 0.8f * std::hypot(u - 0.5f, (v - 0.5f) * 0.8f);
      const glm::vec3 colour = mix3(glm::vec3(0.08f, 0.03f, 0.12f), glm::vec3(0.02f, 0.08f, 0.12f), v) *
                               (0.8f + 0.5f * haze) * vignette;
      image.at(x, y) = glm::vec4(colour, 1.0f);
    }
  }
  Field name(titleWidth, titleHeight);
  const float nameWidth = bold.measure("TESSALY", 120.0f, 14.0f);
  bold.draw(name, "TESSALY", (titleWidth - nameWidth) * 0.5f, 380.0f, 120.0f, 14.0f);
  Field line(titleWidth, titleHeight);
  const float lineWidth = regular.measure("loading", 34.0f, 8.0f);
  regular.draw(line, "loading", (titleWidth - lineWidth) * 0.5f, 450.0f, 34.0f, 8.0f);
  drawRule(line, titleWidth * 0.5f, 405.0f, nameWidth * 0.5f, 1.5f);
  over(image, blur(name, 28, false), 0.9f, [](int, int) { return glm::vec3(0.35f, 0.25f, 0.8f); });
  over(image, name, 1.0f, [](int, int) { return glm::vec3(0.92f, 0.95f, 1.0f); });
  over(image, line, 0.85f, [](int, int) { return glm::vec3(0.6f, 0.75f, 0.9f); });
  return image;
}

}  // namespace

bool writeTitles(const std::filesystem::path& texturesDir, const std::filesystem::path& dataDir,
                 const Font& bold, const Font& regular) {
  const TitleStyle pallon{"PALLON", "presents", glm::vec3(1.0f, 0.95f, 0.75f),
                          glm::vec3(0.98f, 0.58f, 0.2f), glm::vec3(0.9f, 0.35f, 0.08f),
                          glm::vec3(1.0f, 0.9f, 0.75f)};
  const TitleStyle tessaly{"TESSALY", "demosystem", glm::vec3(0.92f, 1.0f, 1.0f),
                           glm::vec3(0.35f, 0.8f, 1.0f), glm::vec3(0.45f, 0.3f, 1.0f),
                           glm::vec3(0.8f, 0.9f, 1.0f)};
  const TitleStyle success{"SUCCESS", "four scenes, one soundtrack", glm::vec3(0.95f, 1.0f, 0.9f),
                           glm::vec3(0.45f, 1.0f, 0.6f), glm::vec3(0.1f, 0.7f, 0.55f),
                           glm::vec3(0.85f, 1.0f, 0.9f)};
  const TitleStyle next{"NEXT", "see you at the next party", glm::vec3(1.0f, 0.92f, 0.96f),
                        glm::vec3(1.0f, 0.4f, 0.62f), glm::vec3(0.85f, 0.15f, 0.6f),
                        glm::vec3(1.0f, 0.88f, 0.94f)};
  return writePng(makeTitle(bold, regular, pallon), texturesDir / "Pallon.png") &&
         writePng(makeTitle(bold, regular, tessaly), texturesDir / "Tessaly.png") &&
         writePng(makeTitle(bold, regular, success), texturesDir / "Success.png") &&
         writePng(makeTitle(bold, regular, next), texturesDir / "Next.png") &&
         writeJpeg(makeLoading(bold, regular), dataDir / "Loading.jpg", 90);
}

}  // namespace tessaly::content

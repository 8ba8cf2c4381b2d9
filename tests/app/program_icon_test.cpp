#include "app/program_icon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace tessaly::app {
namespace {

struct Rgba {
  int r, g, b, a;
};

Rgba pixel(const platform::RgbaPicture& icon, int x, int y) {
  const std::size_t at = (static_cast<std::size_t>(y) * icon.width + x) * 4;
  return {icon.rgba[at], icon.rgba[at + 1], icon.rgba[at + 2], icon.rgba[at + 3]};
}

TEST(ProgramIcon, IsASquareRgbaPictureOfTheAskedSizeOnlyWithinTheLimits) {
  for (const int size : {1, 2, 16, 48, 256, 1024}) {
    const platform::RgbaPicture icon = programIcon(size);
    EXPECT_EQ(icon.width, size);
    EXPECT_EQ(icon.height, size);
    EXPECT_EQ(icon.rgba.size(), static_cast<std::size_t>(size) * size * 4) << size;
  }
  for (const int size : {0, -16, maxIconSize + 1}) {
    const platform::RgbaPicture icon = programIcon(size);
    EXPECT_EQ(icon.width, 0) << size;
    EXPECT_TRUE(icon.rgba.empty()) << size;
  }
}

TEST(ProgramIcon, IsDrawnTheSameEveryTime) {
  EXPECT_EQ(programIcon(64).rgba, programIcon(64).rgba);
}

TEST(ProgramIcon, IsARoundedTileTransparentOutsideWithSmoothEdgesAndAMirroredOutline) {
  for (const int size : {16, 32, 128}) {
    const platform::RgbaPicture icon = programIcon(size);
    const int last = size - 1;
    // Rounded corners and the margin are transparent, the middle is opaque.
    for (const auto& [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}}) {
      EXPECT_EQ(pixel(icon, x, y).a, 0) << size << " corner " << x << "," << y;
    }
    EXPECT_EQ(pixel(icon, size / 2, size / 2).a, 255) << size;
    EXPECT_EQ(pixel(icon, size / 2, size / 8).a, 255) << size;
    // Anti-aliased: the outline has partly covered pixels.
    int partial = 0;
    for (std::size_t i = 3; i < icon.rgba.size(); i += 4) {
      partial += icon.rgba[i] > 0 && icon.rgba[i] < 255;
    }
    EXPECT_GT(partial, size / 2) << size;
    // Straight alpha: a partly covered edge pixel has the colour of the
    // tile's edge, not a colour darkened by its coverage.
    int edge = 0;
    while (pixel(icon, edge, size / 2).a == 0) {
      ++edge;
    }
    const Rgba outer = pixel(icon, edge, size / 2);
    const Rgba inner = pixel(icon, edge + 1, size / 2);
    if (outer.a < 255) {
      EXPECT_GT(outer.r + outer.g + outer.b, (inner.r + inner.g + inner.b) * 7 / 10) << size;
    }
    // The outline is the same seen from every side.
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const int a = pixel(icon, x, y).a;
        ASSERT_EQ(a, pixel(icon, last - x, y).a) << size << " at " << x << "," << y;
        ASSERT_EQ(a, pixel(icon, x, last - y).a) << size << " at " << x << "," << y;
        ASSERT_EQ(a, pixel(icon, y, x).a) << size << " at " << x << "," << y;
      }
    }
  }
}

TEST(ProgramIcon, ShowsABrightTOnADarkSky) {
  const int size = 64;
  const platform::RgbaPicture icon = programIcon(size);
  const auto brightness = [&](double fx, double fy) {
    const Rgba p = pixel(icon, static_cast<int>(fx * size), static_cast<int>(fy * size));
    return p.r + p.g + p.b;
  };
  // The bar across the top and the stem down the middle glow white.
  for (const auto& [fx, fy] : {std::pair{0.3, 0.26}, {0.5, 0.26}, {0.7, 0.26}, {0.5, 0.5},
                               {0.5, 0.7}}) {
    EXPECT_GT(brightness(fx, fy), 600) << fx << "," << fy;
  }
  // Beside the stem, below the bar: the night sky.
  for (const auto& [fx, fy] : {std::pair{0.2, 0.6}, {0.8, 0.6}, {0.3, 0.85}}) {
    EXPECT_LT(brightness(fx, fy), 450) << fx << "," << fy;
  }
}

TEST(WindowIcons, AreTheIconAtEachWindowSizeSmallestFirst) {
  const std::vector<platform::RgbaPicture> icons = windowIcons();
  ASSERT_EQ(icons.size(), windowIconSizes.size());
  for (std::size_t i = 0; i < icons.size(); ++i) {
    EXPECT_EQ(icons[i].width, windowIconSizes[i]);
    EXPECT_EQ(icons[i].rgba, programIcon(windowIconSizes[i]).rgba);
  }
  EXPECT_TRUE(std::is_sorted(windowIconSizes.begin(), windowIconSizes.end()));
}

}  // namespace
}  // namespace tessaly::app

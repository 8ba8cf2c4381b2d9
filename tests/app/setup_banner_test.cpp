#include "app/setup_banner.h"

#include <gtest/gtest.h>

namespace tessaly::app {
namespace {

TEST(SetupBanner, IsA500By200PictureDrawnTheSameEveryTime) {
  const platform::Picture first = setupBanner();
  ASSERT_EQ(first.width, 500);
  ASSERT_EQ(first.height, 200);
  ASSERT_EQ(first.rgb.size(), 500u * 200u * 3u);
  EXPECT_EQ(setupBanner().rgb, first.rgb);
  // The title's strokes are near white; the night around them is dark.
  auto brightness = [&](int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * 500 + x) * 3;
    return first.rgb[at] + first.rgb[at + 1] + first.rgb[at + 2];
  };
  EXPECT_GT(brightness(250, 80), 650);  // on the spine of the second S
  long corner = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      corner += brightness(x, y);
    }
  }
  EXPECT_LT(corner / 400, 250);
}

}  // namespace
}  // namespace tessaly::app

#include "platform/display_modes.h"

#include <gtest/gtest.h>

namespace tessaly::platform {
namespace {

TEST(DisplayModes, CountEightBitsEachAsThe32BitPixel) {
  EXPECT_EQ(bitsPerPixel(8, 8, 8), 32);
  EXPECT_EQ(bitsPerPixel(5, 6, 5), 16);
  EXPECT_EQ(bitsPerPixel(10, 10, 10), 30);
}

}  // namespace
}  // namespace tessaly::platform

#include "assets/image_decoder.h"
#include "assets/image_decoder_internal.h"

#include "tests/support/error_recorder.h"
#include "tests/support/png_writer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaly::assets {
namespace {

using Messages = std::vector<std::string>;

TEST(DevilInitialisation, AnOldVersionIsRefusedWithItsMessage) {
  test::ErrorRecorder errors;
  EXPECT_FALSE(internal::initializeDevilAs(177));
  EXPECT_EQ(errors.messages(), Messages{"Initialization of DevIL failed!"});
  errors.clear();
  EXPECT_TRUE(internal::initializeDevilAs(178));
  EXPECT_TRUE(errors.messages().empty());
}

TEST(DecodeImage, AFailureLeavesNoPixelsOfAnEarlierPicture) {
  ASSERT_TRUE(initializeDevil());
  test::TempDir dir;
  DecodedImage image;
  const std::string png = test::encodePng(3, 2, std::vector<std::uint8_t>(24, 1));
  ASSERT_EQ(decodeImage(dir.write("a.png", png), image), DecodeStatus::decoded);
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.pixels.size(), 24u);
  EXPECT_EQ(decodeImage(dir.file("missing.png"), image), DecodeStatus::loadFailed);
  EXPECT_EQ(image.width, 0);
  EXPECT_TRUE(image.pixels.empty());
}

}  // namespace
}  // namespace tessaly::assets

#include "assets/texture_registry.h"

#include "tests/support/error_recorder.h"
#include "tests/support/jpeg_writer.h"
#include "tests/support/memory_limit.h"
#include "tests/support/gl_context.h"
#include "tests/support/png_writer.h"
#include "tests/support/temp_dir.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <vector>

namespace tessaly::assets {
namespace {

using Messages = std::vector<std::string>;
using Rgba = std::array<std::uint8_t, 4>;

// A PNG of one colour.
std::string solidPng(int width, int height, Rgba colour) {
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < width * height; ++i) {
    pixels.insert(pixels.end(), colour.begin(), colour.end());
  }
  return test::encodePng(width, height, pixels);
}

// An 8x8 JPEG of one colour, written by DevIL's own encoder.
std::string solidJpeg(const test::TempDir& dir, const std::string& relative, Rgba colour) {
  const std::string path = dir.write(relative, "");
  test::writeJpeg(path, colour[0], colour[1], colour[2]);
  return path;
}

// The RGBA8 texels of level `level` of a texture, bottom row first.
std::vector<std::uint8_t> texels(GLuint texture, int level = 0) {
  glBindTexture(GL_TEXTURE_2D, texture);
  GLint width = 0, height = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
  std::vector<std::uint8_t> data(static_cast<std::size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
  return data;
}

void expectNear(const std::vector<std::uint8_t>& texel, Rgba expected, int tolerance,
                const std::string& what) {
  ASSERT_GE(texel.size(), 4u) << what;
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(texel[i], expected[i], tolerance) << what << " component " << i;
  }
}

class TextureRegistryTest : public testing::Test {
 protected:
  test::GlContext context{16, 16};
  test::TempDir dir;
  test::ErrorRecorder errors;
  TextureRegistry registry;
};

TEST_F(TextureRegistryTest, AOnePixelPngYieldsItsTexel) {
  TESSALY_REQUIRE_GL(context);
  const std::string path = dir.write("Dot.png", solidPng(1, 1, {10, 200, 30, 128}));
  ASSERT_TRUE(registry.load(path, "Dot.png"));
  ASSERT_EQ(registry.entries().size(), 1u);
  EXPECT_EQ(registry.entries()[0].name(), "Dot.png");
  EXPECT_EQ(registry.entries()[0].path(), path);
  const GLuint texture = registry.find("Dot.png");
  ASSERT_NE(texture, 0u);
  EXPECT_EQ(texels(texture), (std::vector<std::uint8_t>{10, 200, 30, 128}));
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(TextureRegistryTest, TheFirstDecodedRowIsUploadedLastWithMipmapsRepeatAndTrilinear) {
  TESSALY_REQUIRE_GL(context);
  // Top row (first in the file): red, green. Bottom row: blue, white.
  const std::vector<std::uint8_t> pixels = {255, 0, 0,   255, 0,   255, 0,   255,
                                            0,   0, 255, 255, 255, 255, 255, 255};
  ASSERT_TRUE(registry.load(dir.write("Quad.png", test::encodePng(2, 2, pixels)), "Quad.png"));
  const GLuint texture = registry.find("Quad.png");
  const std::vector<std::uint8_t> uploaded = texels(texture);
  const std::vector<std::uint8_t> bottomRowFirst(pixels.begin() + 8, pixels.end());
  EXPECT_EQ(std::vector<std::uint8_t>(uploaded.begin(), uploaded.begin() + 8), bottomRowFirst);
  EXPECT_EQ(std::vector<std::uint8_t>(uploaded.begin() + 8, uploaded.end()),
            std::vector<std::uint8_t>(pixels.begin(), pixels.begin() + 8));

  GLint internalFormat = 0, wrapS = 0, wrapT = 0, minFilter = 0, magFilter = 0, mipWidth = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internalFormat);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &mipWidth);
  EXPECT_EQ(internalFormat, GL_RGBA8);
  EXPECT_EQ(wrapS, GL_REPEAT);
  EXPECT_EQ(wrapT, GL_REPEAT);
  EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(magFilter, GL_LINEAR);
  EXPECT_EQ(mipWidth, 1);
  // The 1x1 level is the mean of the four texels.
  expectNear(texels(texture, 1), {128, 128, 128, 255}, 1, "level 1");
}

TEST_F(TextureRegistryTest, AJpegAndAPngOfOneNameLiveInTwoRegistries) {
  TESSALY_REQUIRE_GL(context);
  TextureRegistry other;
  solidJpeg(dir, "Data/Title.jpg", {250, 0, 0, 255});
  dir.write("Data/Title.png", solidPng(4, 4, {0, 250, 0, 255}));
  solidJpeg(dir, "Data/Textures/Title.jpg", {0, 0, 250, 255});

  registry.scanDirectory(dir.file("Data/"));
  ASSERT_TRUE(other.load(dir.file("Data/Textures/Title.jpg"), "Title.jpg"));
  expectNear(texels(registry.find("Title.jpg")), {250, 0, 0, 255}, 4, "root jpg");
  expectNear(texels(registry.find("Title.png")), {0, 250, 0, 255}, 0, "root png");
  expectNear(texels(other.find("Title.jpg")), {0, 0, 250, 255}, 4, "textures jpg");
  EXPECT_EQ(other.find("Title.png"), 0u);
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(TextureRegistryTest, FindReturnsTheFirstOfTwoSameNamesExactly) {
  TESSALY_REQUIRE_GL(context);
  ASSERT_TRUE(registry.load(dir.write("a/Same.png", solidPng(1, 1, {255, 0, 0, 255})), "Same.png"));
  ASSERT_TRUE(registry.load(dir.write("b/Same.png", solidPng(1, 1, {0, 255, 0, 255})), "Same.png"));
  ASSERT_EQ(registry.entries().size(), 2u);
  EXPECT_EQ(registry.find("Same.png"), registry.entries()[0].glName());
  EXPECT_NE(registry.entries()[0].glName(), registry.entries()[1].glName());
  EXPECT_EQ(registry.find("same.png"), 0u);
  EXPECT_EQ(registry.find("Same.pn"), 0u);
  EXPECT_EQ(registry.find("Same.png "), 0u);
}

TEST_F(TextureRegistryTest, SetTextureRepointsEveryEntryOfTheNameAndNothingElse) {
  TESSALY_REQUIRE_GL(context);
  const std::string sky = dir.write("SkySphere.png", solidPng(1, 1, {0, 0, 255, 255}));
  const std::string sky2 = dir.write("SkySphere2.jpg", "");
  solidJpeg(dir, "SkySphere2.jpg", {255, 255, 0, 255});
  ASSERT_TRUE(registry.load(sky, "SkySphere.png"));
  ASSERT_TRUE(registry.load(sky, "SkySphere.png"));
  ASSERT_TRUE(registry.load(sky2, "SkySphere2.jpg"));
  const GLuint second = registry.find("SkySphere2.jpg");

  registry.setTexture("SkySphere.png", second);
  EXPECT_EQ(registry.find("SkySphere.png"), second);
  EXPECT_EQ(registry.entries()[0].glName(), second);
  EXPECT_EQ(registry.entries()[1].glName(), second);

  std::vector<GLuint> before;
  for (const TextureEntry& entry : registry.entries()) {
    before.push_back(entry.glName());
  }
  registry.setTexture("Unknown.png", 12345);
  registry.setTexture("skysphere.png", 12345);
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(registry.entries()[i].glName(), before[i]);
  }
}

TEST_F(TextureRegistryTest, ScanLoadsJpegsThenPngsAndSortsByName) {
  TESSALY_REQUIRE_GL(context);
  dir.write("Data/b.png", solidPng(1, 1, {1, 1, 1, 255}));
  dir.write("Data/a.png", solidPng(1, 1, {2, 2, 2, 255}));
  solidJpeg(dir, "Data/C.jpg", {0, 0, 0, 255});
  solidJpeg(dir, "Data/a.jpg", {0, 0, 0, 255});
  dir.write("Data/notes.txt", "not a picture");
  dir.write("Data/Textures/deeper.png", solidPng(1, 1, {3, 3, 3, 255}));

  registry.scanDirectory(dir.file("Data/"));
  std::vector<std::string> names;
  for (const TextureEntry& entry : registry.entries()) {
    names.push_back(entry.name());
    EXPECT_EQ(entry.path(), dir.file("Data/") + entry.name());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"C.jpg", "a.jpg", "a.png", "b.png"}));
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(TextureRegistryTest, AMissingDirectoryLeavesTheRegistryEmpty) {
  TESSALY_REQUIRE_GL(context);
  registry.scanDirectory(dir.file("Nowhere/"));
  EXPECT_TRUE(registry.entries().empty());
  EXPECT_EQ(registry.find("Loading.jpg"), 0u);
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(TextureRegistryTest, BrokenFilesAreReportedByNameAndTheScanGoesOn) {
  TESSALY_REQUIRE_GL(context);
  const std::string jpeg = test::readFile(solidJpeg(dir, "whole.jpg", {9, 9, 9, 255}));
  dir.write("Data/cut.jpg", jpeg.substr(0, jpeg.size() / 2));
  const std::string png = solidPng(2, 2, {5, 5, 5, 255});
  std::string corrupt = png;
  corrupt[50] = static_cast<char>(corrupt[50] ^ 0x5A);  // inside IDAT: its CRC no longer holds
  dir.write("Data/bad.png", corrupt);
  dir.write("Data/empty.png", "");
  dir.write("Data/good.png", png);
  solidJpeg(dir, "Data/good.jpg", {9, 9, 9, 255});

  registry.scanDirectory(dir.file("Data/"));
  EXPECT_EQ(errors.messages(),
            (Messages{"DevIL failed to load: cut.jpg", "DevIL failed to load: bad.png",
                      "DevIL failed to load: empty.png"}));
  ASSERT_EQ(registry.entries().size(), 2u);
  EXPECT_EQ(registry.entries()[0].name(), "good.jpg");
  EXPECT_EQ(registry.entries()[1].name(), "good.png");
}

TEST_F(TextureRegistryTest, PicturesLargerThanTheDriverTakesAreRefused) {
  TESSALY_REQUIRE_GL(context);
  GLint maxSide = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
  const std::string path = dir.write("Wide.png", solidPng(maxSide + 1, 1, {1, 2, 3, 255}));
  EXPECT_FALSE(registry.load(path, "Wide.png"));
  EXPECT_TRUE(registry.entries().empty());
  EXPECT_EQ(errors.messages(), Messages{"DevIL failed to load: Wide.png"});
}

TEST_F(TextureRegistryTest, OverlongPathsAreNotOpenedAndTheMessageIsCut) {
  TESSALY_REQUIRE_GL(context);
  const std::string name = std::string(240, 'n') + ".png";
  const std::string path = dir.write(name, solidPng(1, 1, {1, 2, 3, 255}));
  ASSERT_GT(path.size(), maxPathLength);
  EXPECT_FALSE(registry.load(path, name));
  EXPECT_TRUE(registry.entries().empty());
  const std::string full = "DevIL failed to load: " + name;
  EXPECT_EQ(errors.messages(), Messages{full.substr(0, 255)});
}

// The size a picture states in its header is read without decoding, and a
// picture beyond the limits is refused before DevIL sees it: a 30000 x 30000
// bomb of a few megabytes, one past the texture side, one past the memory
// budget. Decoding runs in a child limited to 600 MB more address space, so
// a picture that is decoded after all shows as a failed child.
TEST(DecodeImage, PicturesTooLargeAreRefusedFromTheirHeaderBeforeDecoding) {
  ASSERT_TRUE(initializeDevil());
  test::TempDir dir;
  const std::int64_t budgetSide = 8193;  // 8193 x 8193 x 4 bytes is past 256 MiB
  ASSERT_GT(budgetSide * budgetSide * 4, maxPictureBytes);
  struct Case {
    std::string name;
    std::string bytes;
    std::int64_t width, height;
    DecodeStatus status;
  };
  const std::vector<Case> cases = {
      {"bomb.png", test::encodeBlackGreyPngBomb(30000, 30000), 30000, 30000, DecodeStatus::loadFailed},
      {"side.png", test::encodeBlackGreyPngBomb(defaultMaxPictureSide + 1, 2), defaultMaxPictureSide + 1,
       2, DecodeStatus::loadFailed},
      {"budget.png", test::encodeBlackGreyPngBomb(8193, 8193), 8193, 8193, DecodeStatus::loadFailed},
      {"fits.png", test::encodeBlackGreyPngBomb(4000, 3000), 4000, 3000, DecodeStatus::decoded},
  };
  ASSERT_LT(cases[0].bytes.size(), 6u << 20);
  for (const Case& row : cases) {
    const std::string path = dir.write(row.name, row.bytes);
    const std::optional<PictureSize> size = readPictureSize(path);
    ASSERT_TRUE(size.has_value()) << row.name;
    EXPECT_EQ(size->width, row.width) << row.name;
    EXPECT_EQ(size->height, row.height) << row.name;
    const std::optional<int> status = test::runWithMemoryLimit(
        600u << 20,
        [&] {
          DecodedImage image;
          const DecodeStatus decoded = decodeImage(path, image);
          if (decoded != row.status) return 1;
          if (decoded == DecodeStatus::decoded &&
              image.pixels.size() != static_cast<std::size_t>(row.width * row.height * 4)) {
            return 2;
          }
          return 0;
        },
        std::chrono::seconds(60));
    EXPECT_EQ(status, 0) << row.name;
  }
}

// JPEG headers: the first start-of-frame segment gives the size, after any
// number of other segments; files that are neither PNG nor JPEG, or cut in
// their header, have none (and are not decoded).
TEST(DecodeImage, SizesAreReadFromJpegHeadersAndForeignFilesHaveNone) {
  test::TempDir dir;
  const std::string jpeg = solidJpeg(dir, "a.jpg", {10, 20, 30, 255});
  const std::optional<PictureSize> size = readPictureSize(jpeg);
  ASSERT_TRUE(size.has_value());
  EXPECT_EQ(size->width, 8);
  EXPECT_EQ(size->height, 8);
  // A comment segment and fill bytes before a progressive frame header.
  const std::string progressive = dir.write(
      "b.jpg", std::string("\xff\xd8\xff\xfe\x00\x05hi!\xff\xff\xc2\x00\x0b\x08\x01\x02\x03\x04", 19) +
                   std::string(8, '\0'));
  const std::optional<PictureSize> frame = readPictureSize(progressive);
  ASSERT_TRUE(frame.has_value());
  EXPECT_EQ(frame->width, 0x0304);
  EXPECT_EQ(frame->height, 0x0102);
  for (const std::string& bytes :
       {std::string("BM not a picture"), std::string("\x89PNG\r\n\x1a\n\x00\x00", 10),
        std::string("\xff\xd8\xff\xda\x00\x02", 6), std::string()}) {
    const std::string path = dir.write("foreign.png", bytes);
    EXPECT_FALSE(readPictureSize(path).has_value()) << testing::PrintToString(bytes);
    DecodedImage image;
    EXPECT_EQ(decodeImage(path, image), DecodeStatus::loadFailed);
  }
  EXPECT_FALSE(readPictureSize(dir.file("missing.png")).has_value());
}


}  // namespace
}  // namespace tessaly::assets

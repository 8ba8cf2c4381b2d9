// Pictures decoded ahead: what the loaders get must be exactly what
// decoding at their step would give, for good files, broken ones and files
// changed in between, and the worker must never show anything nor keep the
// program from ending.
#include "assets/picture_prefetch.h"

#include "assets/asset_registry.h"
#include "tests/support/error_recorder.h"
#include "tests/support/jpeg_writer.h"
#include "tests/support/png_writer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace tessaly::assets {
namespace {

// A PNG whose pixels tell apart rows, columns and `seed`.
std::string patternPng(int width, int height, int seed) {
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels.insert(pixels.end(), {static_cast<std::uint8_t>(x * 7 + seed),
                                   static_cast<std::uint8_t>(y * 13 + seed), static_cast<std::uint8_t>(seed),
                                   static_cast<std::uint8_t>(255 - seed)});
    }
  }
  return test::encodePng(width, height, pixels);
}

struct Decoded {
  DecodeStatus status;
  DecodedImage image;
};

Decoded decodeHere(const std::string& path) {
  Decoded decoded;
  decoded.status = decodeImage(path, decoded.image);
  return decoded;
}

void expectSame(const Decoded& expected, DecodeStatus status, const DecodedImage& image,
                const std::string& what) {
  EXPECT_EQ(status, expected.status) << what;
  EXPECT_EQ(image.width, expected.image.width) << what;
  EXPECT_EQ(image.height, expected.image.height) << what;
  EXPECT_TRUE(image.pixels == expected.image.pixels) << what;
}

class PicturePrefetchTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(initializeDevil());
    paths = {dir.write("a.png", patternPng(5, 3, 1)), dir.write("b.png", patternPng(2, 9, 40)),
             dir.write("broken.png", std::string("\x89PNG\r\n\x1a\n", 8) + "not really"),
             dir.file("missing.png")};
    const std::string jpeg = dir.file("c.jpg");
    test::writeJpeg(jpeg, 200, 30, 90);
    paths.push_back(jpeg);
  }

  test::TempDir dir;
  test::ErrorRecorder errors;
  std::vector<std::string> paths;
};

TEST_F(PicturePrefetchTest, HandsOverExactlyWhatDecodingAtTheStepGivesAndShowsNothing) {
  std::vector<Decoded> expected;
  for (const std::string& path : paths) expected.push_back(decodeHere(path));

  PicturePrefetch prefetch;
  prefetch.start(paths);
  // Let the worker get through everything first: every decode is handed over.
  prefetch.waitUntilDone();
  for (std::size_t i = 0; i < paths.size(); ++i) {
    DecodedImage image;
    const DecodeStatus status = prefetch.decode(paths[i], image);
    expectSame(expected[i], status, image, paths[i]);
  }
  // The missing file has no identity to compare and is decoded again; the
  // others, the broken one included, come from the worker.
  EXPECT_EQ(prefetch.handedOver(), paths.size() - 1);
  EXPECT_EQ(expected[2].status, DecodeStatus::loadFailed);
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(PicturePrefetchTest, AskingAheadOfTheWorkerAskingTwiceAndUnlistedPathsAllGetTheFileAsItIs) {
  PicturePrefetch prefetch;
  prefetch.start(paths);
  // The last picture at once, most likely before the worker got to it.
  DecodedImage image;
  DecodeStatus status = prefetch.decode(paths.back(), image);
  expectSame(decodeHere(paths.back()), status, image, "ahead of the worker");
  status = prefetch.decode(paths.back(), image);
  expectSame(decodeHere(paths.back()), status, image, "a second time");
  const std::string unlisted = dir.write("other.png", patternPng(4, 4, 99));
  status = prefetch.decode(unlisted, image);
  expectSame(decodeHere(unlisted), status, image, "not listed");
}

TEST_F(PicturePrefetchTest, AFileChangedAfterItsDecodeIsDecodedAgain) {
  PicturePrefetch prefetch;
  prefetch.start({paths[0], paths[1]});
  prefetch.waitUntilDone();

  // The user saves another picture under the same name while start-up runs.
  dir.write("b.png", patternPng(6, 6, 77));
  DecodedImage image;
  const DecodeStatus status = prefetch.decode(paths[1], image);
  expectSame(decodeHere(paths[1]), status, image, "rewritten");
  EXPECT_EQ(image.width, 6);

  // So is one that turned broken, with the message the loader then shows.
  PicturePrefetch again;
  again.start({paths[0]});
  again.waitUntilDone();
  dir.write("a.png", "not a picture any more");
  EXPECT_EQ(again.decode(paths[0], image), DecodeStatus::loadFailed);
  EXPECT_TRUE(image.pixels.empty());
}

TEST_F(PicturePrefetchTest, GoingAwayWithWorkLeftStopsTheWorkerPromptly) {
  std::vector<std::string> many;
  for (int i = 0; i < 200; ++i) many.push_back(paths[i % 2]);
  const auto start = std::chrono::steady_clock::now();
  {
    PicturePrefetch prefetch;
    prefetch.start(many);
  }
  // At most the picture it was on; far from 200 decodes.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_TRUE(errors.messages().empty());
}

// Bytes a decoded picture of this size holds.
std::size_t pixelBytes(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

TEST_F(PicturePrefetchTest, HoldsNoMoreThanTheBudgetAndResumesAsTheLoaderTakesPictures) {
  // Ten pictures of 16x16 (1 KiB each) and a budget of three and a half.
  std::vector<std::string> many;
  std::vector<Decoded> expected;
  for (int i = 0; i < 10; ++i) {
    many.push_back(dir.write("p" + std::to_string(i) + ".png", patternPng(16, 16, i)));
    expected.push_back(decodeHere(many.back()));
  }
  const std::size_t one = pixelBytes(16, 16);
  PicturePrefetch prefetch;
  prefetch.start(many, 3 * one + one / 2);
  prefetch.waitUntilIdle();
  EXPECT_EQ(prefetch.heldBytes(), 3 * one);

  // Taken in loading order, each one makes room for the next decode.
  for (std::size_t i = 0; i < many.size(); ++i) {
    DecodedImage image;
    const DecodeStatus status = prefetch.decode(many[i], image);
    expectSame(expected[i], status, image, many[i]);
    prefetch.waitUntilIdle();
    EXPECT_EQ(prefetch.heldBytes(), std::min<std::size_t>(3, many.size() - 1 - i) * one) << i;
  }
  EXPECT_EQ(prefetch.handedOver(), many.size());
  EXPECT_EQ(prefetch.peakHeldBytes(), 3 * one);
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(PicturePrefetchTest, APictureLargerThanTheBudgetIsDecodedAloneAndAPictureAskedForIsNotWaitedFor) {
  const std::string big = dir.write("big.png", patternPng(64, 64, 5));
  const std::string small = dir.write("small.png", patternPng(4, 4, 6));
  const std::string last = dir.write("last.png", patternPng(4, 4, 7));
  PicturePrefetch prefetch;
  prefetch.start({big, small, last}, pixelBytes(8, 8));
  prefetch.waitUntilIdle();
  // The big one alone: the small one waits for room.
  EXPECT_EQ(prefetch.heldBytes(), pixelBytes(64, 64));

  // A loader ahead of the worker decodes the one the worker waits with.
  DecodedImage image;
  DecodeStatus status = prefetch.decode(small, image);
  expectSame(decodeHere(small), status, image, "asked while the worker waits");
  EXPECT_EQ(prefetch.handedOver(), 0u);

  status = prefetch.decode(big, image);
  expectSame(decodeHere(big), status, image, "larger than the budget");
  prefetch.waitUntilDone();
  EXPECT_EQ(prefetch.heldBytes(), pixelBytes(4, 4));
  status = prefetch.decode(last, image);
  expectSame(decodeHere(last), status, image, "after the big one");
  EXPECT_EQ(prefetch.handedOver(), 2u);
  EXPECT_EQ(prefetch.heldBytes(), 0u);
  EXPECT_EQ(prefetch.peakHeldBytes(), pixelBytes(64, 64));
}

TEST_F(PicturePrefetchTest, FinishFreesWhatNoLoaderTookAndLaterAsksDecodeAtTheCall) {
  PicturePrefetch prefetch;
  prefetch.start(paths);
  prefetch.waitUntilDone();
  EXPECT_GT(prefetch.heldBytes(), 0u);
  prefetch.finish();
  EXPECT_EQ(prefetch.heldBytes(), 0u);
  DecodedImage image;
  const DecodeStatus status = prefetch.decode(paths[0], image);
  expectSame(decodeHere(paths[0]), status, image, "after finish");
  EXPECT_EQ(prefetch.handedOver(), 0u);
  // A second finish, and the destructor after it, have nothing left to do.
  prefetch.finish();
}

TEST_F(PicturePrefetchTest, GoingAwayWhileTheWorkerWaitsForRoomEndsPromptly) {
  std::vector<std::string> many;
  for (int i = 0; i < 50; ++i) many.push_back(paths[i % 2]);
  const auto start = std::chrono::steady_clock::now();
  {
    PicturePrefetch prefetch;
    prefetch.start(many, 1);
    prefetch.waitUntilIdle();
    EXPECT_GT(prefetch.heldBytes(), 0u);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(StartupPicturePaths, ListsTheTopLevelThenTheAssetDirectoriesInLoadingOrder) {
  test::TempDir dir;
  for (const char* file : {"Data/Loading.jpg", "Data/Zed.png", "Data/Textures/B.png",
                           "Data/Textures/A.jpg", "Data/Models/Photo.jpg", "Data/Models/M.obj",
                           "Data/Maya/Sky.png", "Data/Maya/Cam.ma", "Data/Shaders/Not.png"}) {
    dir.write(file, "x");
  }
  test::ScopedWorkingDirectory inside(dir.path());
  EXPECT_EQ(startupPicturePaths(),
            (std::vector<std::string>{"Data/Loading.jpg", "Data/Zed.png", "Data/Textures/A.jpg",
                                      "Data/Textures/B.png", "Data/Models/Photo.jpg",
                                      "Data/Maya/Sky.png"}));
}

}  // namespace
}  // namespace tessaly::assets

// Golden frames: a handful of frames of the production, one per scene and
// one per title, rendered at 320 x 180 through the player's start-up and
// frame driver (as tessaly-capture renders them) and compared with the
// reference pictures in tests/content/golden/. A change anywhere in the
// chain (generator, shaders, readers, frame driver, filters) that changes
// what the show looks like fails here.
//
// The frames are rendered with multisampling, as the player does by default:
// an edge pixel is then the mean of four samples, so a sample that lands on
// the other side of an edge moves the pixel by a quarter instead of all the
// way, and the multisampled resolve of the scene target is part of what is
// checked. On llvmpipe the frames are bit-identical from run to run, with
// one or many rasterizer threads and with 128- or 256-bit vectors; the
// tolerance leaves room for another Mesa or LLVM version, not for a visible
// change (see kTolerance).
//
// After a change that is meant to alter the picture, look at the new frames
// and refresh the references:
//   TESSALY_UPDATE_GOLDEN=1 scripts/run-tests build -R Golden
// A failing frame leaves the rendered picture and a map of the differences
// (red: pixels off) in build/golden-failures/.
#include "tests/content/golden_compare.h"
#include "tests/content/picture_file.h"
#include "tests/support/error_recorder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_windows.h"
#include "tools/capture/capture_frames.h"
#include "tools/capture/image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 320;
constexpr int kHeight = 180;

// A pixel is off when a channel differs by more than 16 levels; at most
// 0.25 % of the pixels (144) may be off, and the mean difference may be at
// most 0.5 levels. llvmpipe itself gives 0 from run to run. For scale:
// turning multisampling off puts 0.6 to 13 % of the pixels off; the lights'
// reach 10 % shorter moves the means by 1.6 to 8.8 levels; the glow's share
// 0.65 -> 0.6, the particles 10 % dimmer, the camera's light 10 % weaker or
// the bump depth a third shallower each fail at least one frame.
constexpr GoldenTolerance kTolerance{16, 0.0025, 0.5};

struct GoldenFrame {
  const char* name;
  double seconds;
};

const GoldenFrame kFrames[] = {
    {"scene1_pallon", 5.1},      // the galaxy from above, title "PALLON presents"
    {"scene1_tessaly", 12.5},    // the galaxy, title "TESSALY demosystem"
    {"scene1_fade", 18.1},       // the fade out of scene 1 at the first cut
    {"scene2_grinders", 30.0},   // close by the turning grinders, distorted sky
    {"scene3_ballroom", 45.0},   // the ball room with the crusher on its way
    {"scene4_box", 59.5},        // the box's engraved front, close up
    {"scene4_success", 67.0},    // the box, title "SUCCESS"
    {"scene4_next", 74.0},       // the box, title "NEXT"
};

// Names the frame in test output.
void PrintTo(const GoldenFrame& frame, std::ostream* out) {
  *out << frame.name << " at " << frame.seconds << " s";
}

fs::path referencePath(const GoldenFrame& frame) {
  return fs::path(TESSALY_SOURCE_DIR) / "tests" / "content" / "golden" /
         (std::string(frame.name) + ".png");
}

bool updating() {
  const char* update = std::getenv("TESSALY_UPDATE_GOLDEN");
  return update != nullptr && std::string(update) == "1";
}

// The show starts once for all frames of a run: a start-up per frame would
// load every model again.
class GoldenFrames : public testing::TestWithParam<GoldenFrame> {
 protected:
  static void SetUpTestSuite() {
    if (!haveDisplay()) {
      return;
    }
    production_ = new ScopedWorkingDirectory(TESSALY_BINARY_DIR);
    startupErrors_ = new ErrorRecorder;
    capture_ = new capture::FrameCapture;
    started_ = capture_->start(kWidth, kHeight, true);
    soundtrackReady_ = capture_->soundtrackReady();
  }
  static void TearDownTestSuite() {
    delete capture_;
    capture_ = nullptr;
    started_ = false;
    delete startupErrors_;
    startupErrors_ = nullptr;
    delete production_;
    production_ = nullptr;
  }
  void SetUp() override {
    if (production_ == nullptr) {
      GTEST_SKIP() << "needs a display";
    }
    ASSERT_TRUE(fs::is_directory(fs::path(TESSALY_BINARY_DIR) / "Data"))
        << "the production is built into " << TESSALY_BINARY_DIR << "/Data by the build";
    ASSERT_TRUE(started_) << "start-up failed";
    ASSERT_TRUE(soundtrackReady_) << "the shake needs the soundtrack's spectrum";
    const std::vector<std::string> messages = startupErrors_->messages();
    ASSERT_TRUE(messages.empty()) << messages.front();
  }

  static inline capture::FrameCapture* capture_ = nullptr;
  static inline ScopedWorkingDirectory* production_ = nullptr;
  static inline ErrorRecorder* startupErrors_ = nullptr;
  static inline bool started_ = false;
  static inline bool soundtrackReady_ = false;
};

TEST_P(GoldenFrames, LookLikeTheReference) {
  const GoldenFrame& frame = GetParam();
  capture::Image rendered;
  capture_->capture(frame.seconds, rendered);
  const std::vector<std::string> messages = startupErrors_->messages();
  ASSERT_TRUE(messages.empty()) << messages.front();

  const fs::path reference = referencePath(frame);
  if (updating()) {
    ASSERT_EQ(capture::writePng(reference.string(), rendered), "") << reference;
    std::printf("reference written: %s\n", reference.c_str());
    return;
  }
  const DecodedPicture expected = decodePicture(reference);
  ASSERT_TRUE(expected.ok) << "no reference at " << reference
                           << " (TESSALY_UPDATE_GOLDEN=1 writes it)";
  ASSERT_EQ(expected.width, kWidth) << reference;
  ASSERT_EQ(expected.height, kHeight) << reference;

  const PictureDifference difference =
      comparePictures(rendered.rgba, expected.rgba, kTolerance.levels);
  if (!withinTolerance(difference, kTolerance)) {
    const fs::path failures = fs::path(TESSALY_BINARY_DIR) / "golden-failures";
    fs::create_directories(failures);
    capture::writePng((failures / (std::string(frame.name) + ".png")).string(), rendered);
    capture::Image map(kWidth, kHeight);
    map.rgba = differencePicture(rendered.rgba, expected.rgba, kTolerance.levels);
    capture::writePng((failures / (std::string(frame.name) + "_difference.png")).string(), map);
    ADD_FAILURE() << frame.name << " at " << frame.seconds << " s differs from " << reference
                  << ": " << difference.offShare * 100.0 << " % of the pixels off by more than "
                  << kTolerance.levels << " levels (allowed " << kTolerance.offShare * 100.0
                  << " %), mean difference " << difference.meanLevels << " levels (allowed "
                  << kTolerance.meanLevels << "), largest " << difference.largest
                  << ". The frame and a map of the differences are in " << failures;
  }
}

INSTANTIATE_TEST_SUITE_P(Production, GoldenFrames, testing::ValuesIn(kFrames),
                         [](const testing::TestParamInfo<GoldenFrame>& info) {
                           return std::string(info.param.name);
                         });

// The comparison itself.
TEST(GoldenCompare, CountsPixelsOffByMoreThanTheThresholdAndTheMeanOfTheColours) {
  std::vector<std::uint8_t> a(100 * 4, 100), b = a;
  EXPECT_EQ(comparePictures(a, b, 16).largest, 0);
  b[0] = 117;          // one channel of pixel 0 off by 17
  b[4 * 1 + 2] = 116;  // pixel 1 off by 16: not off
  b[4 * 2 + 3] = 0;    // alpha of pixel 2: ignored
  const PictureDifference d = comparePictures(a, b, 16);
  EXPECT_EQ(d.largest, 17);
  EXPECT_DOUBLE_EQ(d.offShare, 0.01);
  EXPECT_DOUBLE_EQ(d.meanLevels, 33.0 / 300.0);
  EXPECT_TRUE(withinTolerance(d, {16, 0.01, 0.11}));
  EXPECT_FALSE(withinTolerance(d, {16, 0.009, 0.11}));
  EXPECT_FALSE(withinTolerance(d, {16, 0.01, 0.1}));
  const std::vector<std::uint8_t> map = differencePicture(a, b, 16);
  EXPECT_EQ((std::vector<std::uint8_t>(map.begin(), map.begin() + 12)),
            (std::vector<std::uint8_t>{255, 0, 0, 255, 64, 64, 64, 255, 0, 0, 0, 255}));
}

}  // namespace
}  // namespace tessaly::test

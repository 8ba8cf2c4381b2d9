// The filter chain's savings (magnified pictures sampled without mipmaps,
// the repeated window clear left out) must not
// change a single pixel of the production: frames of every scene, the
// fades and all four titles, rendered with and without them in the same
// process, compared byte for byte. Each configuration runs in a process of
// its own (CTest runs every test separately): a process starts the show
// once.
#include "render/post_filter.h"

#include "app/show.h"
#include "tools/capture/capture_frames.h"
#include "platform/error_box.h"
#include "tests/support/x_windows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tessaly::render {
namespace {

const std::string productionFolder = TESSALY_BINARY_DIR;

struct Configuration {
  int width;
  int height;
  bool multisampling;
  std::vector<double> seconds;  // music times of the frames compared
};

std::ostream& operator<<(std::ostream& out, const Configuration& c) {
  return out << c.width << "x" << c.height << (c.multisampling ? " multisampled" : "");
}

// Moments of the show (see content/README.md): the fade in, both titles of
// scene 1, the cut to scene 2, scenes 2 and 3, the box tunnel, both titles
// of scene 4, the black end.
const std::vector<double> showMoments = {0.5, 5.0, 12.0, 18.2, 25.0, 45.0, 61.0, 67.0, 74.0, 81.0};

// The first pixel where two frames differ, for the failure message.
std::string firstDifference(const capture::Image& a, const capture::Image& b) {
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      const std::uint8_t* p = a.pixel(x, y);
      const std::uint8_t* q = b.pixel(x, y);
      if (p[0] != q[0] || p[1] != q[1] || p[2] != q[2]) {
        return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + "): " +
               std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]) +
               " without the savings, " + std::to_string(q[0]) + "," + std::to_string(q[1]) +
               "," + std::to_string(q[2]) + " with them";
      }
    }
  }
  return "none";
}

class PassSavingsTest : public testing::TestWithParam<Configuration> {
 protected:
  void SetUp() override {
    TESSALY_REQUIRE_DISPLAY();
    // Building this test builds the production first.
    ASSERT_TRUE(std::filesystem::is_directory(productionFolder + "/Data"))
        << "the production is not built into " << productionFolder << "/Data";
  }
};

TEST_P(PassSavingsTest, FramesAreByteIdenticalWithAndWithoutThem) {
  const Configuration& configuration = GetParam();
  std::filesystem::current_path(productionFolder);
  platform::setErrorSink(platform::printErrorOnly);
  capture::FrameCapture capture;
  ASSERT_TRUE(capture.start(configuration.width, configuration.height,
                            configuration.multisampling));
  PostFilter& filter = *capture.show().filter;

  capture::Image plain;
  capture::Image saving;
  for (double seconds : configuration.seconds) {
    SCOPED_TRACE(seconds);
    filter.setSavings(PassSavings::none());
    capture.capture(seconds, plain);
    filter.setSavings(PassSavings{});
    capture.capture(seconds, saving);
    ASSERT_EQ(plain.rgba.size(), saving.rgba.size());
    EXPECT_TRUE(plain.rgba == saving.rgba) << "first difference at " << firstDifference(plain, saving);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Production, PassSavingsTest,
    testing::Values(
        Configuration{320, 180, true, showMoments},
        Configuration{320, 180, false, showMoments},
        // Not 16:9 (bars above and below) and odd: half targets round down.
        Configuration{333, 211, true, showMoments},
        // Large enough that the titles (1280x720) are drawn magnified.
        Configuration{1920, 1080, false, {5.0, 12.0, 67.0}}),
    [](const testing::TestParamInfo<Configuration>& info) {
      return std::to_string(info.param.width) + "x" + std::to_string(info.param.height) +
             (info.param.multisampling ? "Multisampled" : "");
    });

}  // namespace
}  // namespace tessaly::render

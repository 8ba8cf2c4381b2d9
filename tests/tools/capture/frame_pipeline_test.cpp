// The capture's pipelined read-back on the built production: its frames
// are bit for bit those of the synchronous read-back, in order, with every
// ring and queue size, and a consumer that refuses a frame stops it without
// a hang.
#include "render/gl.h"
#include "tests/support/error_recorder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_windows.h"
#include "tools/capture/capture_frames.h"
#include "tools/capture/frame_pipeline.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace tessaly::capture {
namespace {

namespace fs = std::filesystem;

const fs::path buildFolder = TESSALY_BINARY_DIR;

TEST(FramePipeline, GivesTheSynchronousFramesInOrderAndStopsWhenRefused) {
  if (!test::haveDisplay()) GTEST_SKIP() << "needs a display";
  if (!fs::is_regular_file(buildFolder / "Data/Shaders/Filters.frag")) {
    GTEST_SKIP() << "the production is not built into " << buildFolder / "Data";
  }
  test::ScopedWorkingDirectory inBuild(buildFolder);
  test::ErrorRecorder errors;
  FrameCapture capture;
  // An odd width: rows that are not a multiple of 4 or 8 bytes.
  ASSERT_TRUE(capture.start(161, 90, true));

  // Each scene, a fade, the last frame and a moment repeated.
  const std::vector<double> times = {0.5, 5.0, 25.0, 25.05, 45.0, 65.0, 80.0, 81.6, 5.0};
  std::vector<Image> expected(times.size());
  for (std::size_t i = 0; i < times.size(); ++i) {
    capture.capture(times[i], expected[i]);
  }
  ASSERT_NE(expected[1].rgba, expected[2].rgba);  // the frames differ: the test can fail

  for (const FramePipeline::Settings settings :
       {FramePipeline::Settings{1, 1}, FramePipeline::Settings{3, 4},
        FramePipeline::Settings{2, 8}}) {
    std::vector<long> numbers;
    std::vector<Image> frames;
    FramePipeline pipeline(capture, [&](long number, Image& frame) {
      numbers.push_back(number);
      frames.push_back(frame);
      return true;
    }, settings);
    for (std::size_t i = 0; i < times.size(); ++i) {
      ASSERT_TRUE(pipeline.submit(static_cast<long>(i) + 100, times[i]));
    }
    ASSERT_TRUE(pipeline.finish());
    ASSERT_EQ(frames.size(), times.size()) << settings.readBuffers;
    for (std::size_t i = 0; i < times.size(); ++i) {
      EXPECT_EQ(numbers[i], static_cast<long>(i) + 100);
      EXPECT_EQ(frames[i].width, 161);
      EXPECT_EQ(frames[i].height, 90);
      EXPECT_TRUE(frames[i].rgba == expected[i].rgba)
          << "frame at " << times[i] << " s, ring of " << settings.readBuffers;
    }
  }

  // A consumer that refuses the third frame: submit says so soon after,
  // finish reports it, nothing waits forever.
  int taken = 0;
  FramePipeline refusing(capture, [&](long, Image&) { return ++taken < 3; }, {2, 1});
  bool refused = false;
  for (int i = 0; i < 40 && !refused; ++i) {
    refused = !refusing.submit(i, 1.0 + i * 0.1);
  }
  EXPECT_FALSE(refusing.finish());
  EXPECT_EQ(taken, 3);

  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_TRUE(errors.messages().empty());
  capture.end();
}

}  // namespace
}  // namespace tessaly::capture

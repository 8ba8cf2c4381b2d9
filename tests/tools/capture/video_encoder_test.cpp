// The ffmpeg child of a video capture, with small scripts standing in for
// ffmpeg: one that takes everything, one that fails, one that stops
// reading, one that never finishes. Every wait on it is bounded.
#include "platform/termination.h"
#include "tests/support/temp_dir.h"
#include "tools/capture/video_encoder.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>

namespace tessaly::capture {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A frame larger than a pipe's buffer, so a reader that stops is noticed.
Image frame() {
  Image image;
  image.width = 256;
  image.height = 256;
  image.rgba.assign(256 * 256 * 4, 0x80);
  return image;
}

struct EncoderCase {
  const char* name;
  const char* script;    // the stand-in's body, run by /bin/sh
  bool written;          // all frames taken
  bool finished;         // finish() reports success
  const char* error;     // part of error() when something failed
};

const EncoderCase cases[] = {
    {"TakesEverything", "cat > /dev/null", true, true, ""},
    {"FailsAfterReading", "cat > /dev/null; exit 3", true, false, "exit status 3"},
    {"StopsReading", "exec sleep 30", false, false, "stopped reading"},
    {"ReadsAndNeverFinishes", "cat > /dev/null; exec sleep 30", true, false, "did not finish"},
    {"DiesAtOnce", "exit 1", false, false, "stopped taking frames"},
};

class VideoEncoderWith : public testing::TestWithParam<EncoderCase> {
 protected:
  // The stand-in for ffmpeg, executable.
  std::string standIn(const char* body) {
    const std::string path = folder.file("ffmpeg");
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    chmod(path.c_str(), 0755);
    return path;
  }
  VideoSettings settings() {
    VideoSettings video;
    video.output = folder.file("out.mp4");
    video.width = 256;
    video.height = 256;
    return video;
  }
  test::TempDir folder;
};

TEST_P(VideoEncoderWith, EndsEveryWaitWithinItsBound) {
  const EncoderCase& c = GetParam();
  EncoderPatience patience;
  patience.frameStall = 400ms;
  patience.finishing = 400ms;
  VideoEncoder encoder(patience);
  ASSERT_TRUE(encoder.start(standIn(c.script), settings())) << encoder.error();

  const Clock::time_point start = Clock::now();
  bool written = true;
  for (int i = 0; i < 4 && written; ++i) {
    written = encoder.write(frame());
  }
  const bool finished = written && encoder.finish();
  const auto took = Clock::now() - start;

  EXPECT_EQ(written, c.written) << encoder.error();
  EXPECT_EQ(finished, c.finished) << encoder.error();
  EXPECT_NE(encoder.error().find(c.error), std::string::npos) << encoder.error();
  EXPECT_LT(took, 5s);
}

INSTANTIATE_TEST_SUITE_P(StandIns, VideoEncoderWith, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<EncoderCase>& info) {
                           return std::string(info.param.name);
                         });

// A signal ends a wait on a stalled ffmpeg at once, long before its bound.
TEST_F(VideoEncoderWith, ASignalEndsTheWaitOnAStalledFfmpeg) {
  VideoEncoder encoder;  // the real patience: a minute
  ASSERT_TRUE(encoder.start(standIn("exec sleep 30"), settings())) << encoder.error();
  platform::setTerminationSignalForTesting(SIGTERM);
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(encoder.write(frame()));
  EXPECT_LT(Clock::now() - start, 2s);
  platform::setTerminationSignalForTesting(0);
  encoder.abandon();
}

}  // namespace
}  // namespace tessaly::capture

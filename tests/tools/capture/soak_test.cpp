// Soak: 20,000 frames of the built production through the frame driver, the
// way tessaly-capture renders them (64x36, no multisampling), looping over
// the whole show. After the first 500 frames, which visit every scene and
// overlay, the process must keep its resident memory (less than 2 MB more
// by the end) and make no OpenGL object it keeps: the next name that each
// kind of object would get is the same at the end as after frame 500.
#include "render/gl.h"
#include "tests/support/error_recorder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_windows.h"
#include "tools/capture/capture_frames.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define TESSALY_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSALY_ASAN 1
#endif
#endif

namespace tessaly::capture {
namespace {

namespace fs = std::filesystem;

const fs::path buildFolder = TESSALY_BINARY_DIR;

constexpr long settleFrames = 500;
#ifdef TESSALY_ASAN
// AddressSanitizer keeps freed memory in quarantine and slows every frame:
// resident memory says nothing there, so the run is shorter and checks the
// objects only (and whatever the sanitizer itself finds on the way).
constexpr long totalFrames = 3000;
constexpr bool checkMemory = false;
#else
constexpr long totalFrames = 20000;
constexpr bool checkMemory = true;
#endif
constexpr double showLength = 81.6;
// One pass over the show takes about settleFrames frames; the step is not a
// whole fraction of the show, so later passes see other times.
constexpr double step = 0.16319;

long residentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

// The names the next object of each kind would get. Each probe object is
// deleted at once, but a driver may still hand out fresh names after it
// (Mesa does), so the test measures how far one probe moves them.
struct NextNames {
  GLuint texture = 0, buffer = 0, framebuffer = 0, renderbuffer = 0, vertexArray = 0, shader = 0,
         program = 0;

  static NextNames probe() {
    NextNames next;
    glGenTextures(1, &next.texture);
    glDeleteTextures(1, &next.texture);
    glGenBuffers(1, &next.buffer);
    glDeleteBuffers(1, &next.buffer);
    glGenFramebuffers(1, &next.framebuffer);
    glDeleteFramebuffers(1, &next.framebuffer);
    glGenRenderbuffers(1, &next.renderbuffer);
    glDeleteRenderbuffers(1, &next.renderbuffer);
    glGenVertexArrays(1, &next.vertexArray);
    glDeleteVertexArrays(1, &next.vertexArray);
    next.shader = glCreateShader(GL_VERTEX_SHADER);
    glDeleteShader(next.shader);
    next.program = glCreateProgram();
    glDeleteProgram(next.program);
    return next;
  }

  // Each name moved on by twice the distance from `from` to this.
  NextNames onceMore(const NextNames& from) const {
    NextNames next;
    next.texture = texture + (texture - from.texture);
    next.buffer = buffer + (buffer - from.buffer);
    next.framebuffer = framebuffer + (framebuffer - from.framebuffer);
    next.renderbuffer = renderbuffer + (renderbuffer - from.renderbuffer);
    next.vertexArray = vertexArray + (vertexArray - from.vertexArray);
    next.shader = shader + (shader - from.shader);
    next.program = program + (program - from.program);
    return next;
  }
};

TEST(Soak, TwentyThousandFramesKeepMemoryAndMakeNoObjects) {
  if (!test::haveDisplay()) GTEST_SKIP() << "needs a display";
  if (!fs::is_regular_file(buildFolder / "Data/Shaders/Filters.frag")) {
    GTEST_SKIP() << "the production is not built into " << buildFolder / "Data";
  }
  test::ScopedWorkingDirectory inBuild(buildFolder);
  test::ErrorRecorder errors;
  FrameCapture capture;
  ASSERT_TRUE(capture.start(64, 36, false));
  ASSERT_TRUE(capture.soundtrackReady());

  Image frame;
  long frames = 0;
  const auto renderUntil = [&](long until) {
    for (; frames < until; ++frames) {
      capture.capture(std::fmod(static_cast<double>(frames) * step, showLength), frame);
    }
  };
  renderUntil(settleFrames);
  const long settledMemory = residentBytes();
  const NextNames first = NextNames::probe();
  const NextNames second = NextNames::probe();
  // What the next probe gives when the frames in between made no object.
  const NextNames settled = second.onceMore(first);
  renderUntil(totalFrames);
  const long endMemory = residentBytes();
  const NextNames end = NextNames::probe();
  const GLenum glError = glGetError();
  capture.end();

  const double growthMb = static_cast<double>(endMemory - settledMemory) / (1024.0 * 1024.0);
  RecordProperty("frames", static_cast<int>(frames));
  RecordProperty("residentGrowthKb", static_cast<int>((endMemory - settledMemory) / 1024));
  std::printf("soak: %ld frames, resident memory %.1f MB after %ld frames, %+.3f MB by the end\n",
              frames, static_cast<double>(settledMemory) / (1024.0 * 1024.0), settleFrames,
              growthMb);
  if (checkMemory) {
    EXPECT_LT(growthMb, 2.0);
  }
  EXPECT_EQ(end.texture, settled.texture);
  EXPECT_EQ(end.buffer, settled.buffer);
  EXPECT_EQ(end.framebuffer, settled.framebuffer);
  EXPECT_EQ(end.renderbuffer, settled.renderbuffer);
  EXPECT_EQ(end.vertexArray, settled.vertexArray);
  EXPECT_EQ(end.shader, settled.shader);
  EXPECT_EQ(end.program, settled.program);
  EXPECT_EQ(glError, static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_TRUE(errors.messages().empty());
}

}  // namespace
}  // namespace tessaly::capture

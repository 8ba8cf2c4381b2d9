// A hidden window with an OpenGL 3.3 core context and loaded entry points,
// for tests that draw and read pixels back. Needs a display (Xvfb in CI).
#pragma once

#include <cstdint>
#include <vector>

struct GLFWwindow;

namespace tessaly::test {

class GlContext {
 public:
  // Opens a hidden width x height window; `samples` > 0 asks for a
  // multisampled default framebuffer. ok() tells whether it worked.
  explicit GlContext(int width = 64, int height = 64, int samples = 0);
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  bool ok() const { return window_ != nullptr; }
  GLFWwindow* window() const { return window_; }

 private:
  GLFWwindow* window_ = nullptr;
};

// RGBA8 pixels of the bound read framebuffer, bottom row first.
std::vector<std::uint8_t> readPixels(int x, int y, int width, int height);

}  // namespace tessaly::test

// Skips the current test when no GL context could be made (no display).
#define TESSALY_REQUIRE_GL(context)                                  \
  do {                                                               \
    if (!(context).ok()) {                                           \
      GTEST_SKIP() << "no OpenGL 3.3 core context (no display?)";     \
    }                                                                \
  } while (false)

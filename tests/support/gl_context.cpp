#include "tests/support/gl_context.h"

#include "render/gl.h"
#include "tests/support/x_windows.h"

#include <GLFW/glfw3.h>

#include <chrono>
#include <thread>

namespace tessaly::test {

namespace {

// Connecting to a busy X server can fail for a moment (the connect reports
// EAGAIN while the server's backlog is full); try again before giving up.
// Without a display there is nothing to wait for.
bool initGlfwPatiently() {
  const int attempts = haveDisplay() ? 100 : 1;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (glfwInit() == GLFW_TRUE) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

}  // namespace

GlContext::GlContext(int width, int height, int samples) {
  if (!initGlfwPatiently()) {
    return;
  }
  glfwDefaultWindowHints();
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  if (samples > 0) {
    glfwWindowHint(GLFW_SAMPLES, samples);
  }
  window_ = glfwCreateWindow(width, height, "tessaly test", nullptr, nullptr);
  if (window_ == nullptr) {
    return;
  }
  glfwMakeContextCurrent(window_);
  glewExperimental = GL_TRUE;
  if (glewInit() != GLEW_OK) {
    glfwDestroyWindow(window_);
    window_ = nullptr;
    return;
  }
  while (glGetError() != GL_NO_ERROR) {
  }
  // Every drawing path expects one bound vertex array object.
  GLuint vertexArray = 0;
  glGenVertexArrays(1, &vertexArray);
  glBindVertexArray(vertexArray);
  glViewport(0, 0, width, height);
}

GlContext::~GlContext() {
  if (window_ != nullptr) {
    glfwMakeContextCurrent(nullptr);
    glfwDestroyWindow(window_);
  }
  glfwTerminate();
}

std::vector<std::uint8_t> readPixels(int x, int y, int width, int height) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

}  // namespace tessaly::test

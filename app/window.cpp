// Window, context and initial render state.
#include "app/window.h"

#include "app/program_icon.h"
#include "app/show.h"
#include "platform/error_box.h"
#include "platform/window_icon.h"
#include "render/gl.h"
#include "render/post_filter.h"

#include <GLFW/glfw3.h>

#include <cstdio>

namespace tessaly::app {

Viewport letterboxViewport(std::int32_t width, std::int32_t height) {
  const float viewHeight = static_cast<float>(static_cast<double>(width) * 0.5625);
  Viewport view;
  view.width = width;
  view.height = static_cast<std::int32_t>(viewHeight);
  view.x = 0;
  view.y = (height - view.height) / 2;
  return view;
}

void glfwErrorHandler(int /*code*/, const char* description) {
  platform::printStderrLine(description != nullptr ? description : "");
}

bool createWindow(const DemoConfig& config, const WindowOptions& options) {
  glfwSetErrorCallback(glfwErrorHandler);
  if (glfwInit() == GLFW_FALSE) {
    platform::showErrorBox("Unable to initialize GLFW!");
    return false;
  }
  // GLFW keeps hints between windows; start from its defaults so only the
  // hints below apply.
  glfwDefaultWindowHints();
  glfwWindowHint(GLFW_RESIZABLE, options.resizable ? GLFW_TRUE : GLFW_FALSE);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  if (config.multisampling != 0) {
    glfwWindowHint(GLFW_SAMPLES, 4);
  }
  if (!options.visible) {
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  }

  GLFWmonitor* monitor = nullptr;
  const char* failure = "Unable to open window!";
  if (config.fullscreen == 1) {
    monitor = glfwGetPrimaryMonitor();
    failure = "Unable to open screen!";
  }
  GLFWwindow* window =
      glfwCreateWindow(config.width, config.height, windowTitle, monitor, nullptr);
  if (window == nullptr) {
    platform::showErrorBox(failure);
    return false;
  }
  // The program's icon in the title bar, task bar and window switcher.
  platform::setWindowIcon(window, windowIcons());
  glfwMakeContextCurrent(window);
  glfwSwapInterval(config.verticalSync != 0 ? 1 : 0);
  glfwSetInputMode(window, GLFW_STICKY_KEYS, 1);
  glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
  return true;
}

bool initGlew() {
  glewExperimental = GL_TRUE;
  if (glewInit() != GLEW_OK) {
    platform::showErrorBox("Unable to initialize GLEW!");
    return false;
  }
  // glewInit may leave GL_INVAL_ENUM behind on core contexts; nobody reads it.
  while (glGetError() != GL_NO_ERROR) {
  }
  return true;
}

bool initRenderState(Show& show, assets::ImageSource& pictures) {
  const DemoConfig& config = show.config;
  const Viewport view = letterboxViewport(config.width, config.height);
  glViewport(view.x, view.y, view.width, view.height);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);

  GLuint vertexArray = 0;
  glGenVertexArrays(1, &vertexArray);
  glBindVertexArray(vertexArray);

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glfwSwapBuffers(glfwGetCurrentContext());

  // The chain's targets remember the viewport set above and restore it.
  show.filter =
      std::make_unique<render::PostFilter>(config.multisampling, config.width, config.height);
  if (show.filter->failed()) {
    return false;
  }
  // Top-level pictures, among them "Loading.jpg" for the loading screen.
  show.rootTextures.scanDirectory("Data/", pictures);
  return true;
}

void presentFrame() {
  glfwSwapBuffers(glfwGetCurrentContext());
}

void drawLoadingScreen(const render::PostFilter& filter, GLuint picture) {
  if (filter.failed()) {
    return;
  }
  render::PostFilter::clear();
  filter.filterProgram().use();
  filter.draw(picture, 1.0f);
  presentFrame();
}

}  // namespace tessaly::app

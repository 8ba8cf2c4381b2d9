#include "app/demo_config.h"
#include "app/program_icon.h"
#include "app/window.h"
#include "app/show.h"
#include "platform/error_box.h"
#include "render/gl.h"
#include "tests/app/x_display.h"
#include "tests/support/error_recorder.h"
#include "tests/support/filter_shaders.h"
#include "tests/support/gl_context.h"
#include "tests/support/png_writer.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace tessaly::app {
namespace {

TEST(Letterbox, KeepsTheWidthAndCentresA16By9View) {
  struct Case {
    int width, height;
    Viewport expected;
  };
  const Case cases[] = {
      {1920, 1200, {0, 60, 1920, 1080}},
      {1024, 768, {0, 96, 1024, 576}},
      {2560, 1080, {0, -180, 2560, 1440}},
      {1920, 1080, {0, 0, 1920, 1080}},
      {1366, 768, {0, 0, 1366, 768}},   // 768.375 truncates to 768
      {1280, 1024, {0, 152, 1280, 720}},
      {321, 201, {0, 10, 321, 180}},    // odd sizes truncate toward zero
  };
  for (const Case& c : cases) {
    const Viewport view = letterboxViewport(c.width, c.height);
    EXPECT_EQ(view.x, c.expected.x) << c.width << "x" << c.height;
    EXPECT_EQ(view.y, c.expected.y) << c.width << "x" << c.height;
    EXPECT_EQ(view.width, c.expected.width) << c.width << "x" << c.height;
    EXPECT_EQ(view.height, c.expected.height) << c.width << "x" << c.height;
  }
}

// Each description is a line of its own, so neither the next description
// nor the next "ERROR: " line runs into it.
TEST(GlfwErrorHandler, WritesEachDescriptionWithoutItsCodeAsALineOfItsOwn) {
  testing::internal::CaptureStderr();
  glfwErrorHandler(65544, "first problem");
  glfwErrorHandler(65545, "second problem\n");
  glfwErrorHandler(65546, "");
  platform::printErrorOnly("Unable to open window!");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "first problem\nsecond problem\n\nERROR: Unable to open window!\n");
}

// Opens the player's window with the given settings; terminates GLFW after.
class PlayerWindow : public testing::Test {
 protected:
  void TearDown() override { glfwTerminate(); }

  bool open(int width, int height, int multisampling) {
    DemoConfig& config = show.config;
    config = DemoConfig{};
    config.width = width;
    config.height = height;
    config.fullscreen = 0;
    config.verticalSync = 0;
    config.multisampling = multisampling;
    return createWindow(config) && initGlew();
  }

  // Its GL objects outlive the context (glfwTerminate comes first) and then
  // make no GL call, as the player's show would.
  Show show;
};

TEST_F(PlayerWindow, IsACoreProfileAtLeast33ThatCannotBeResized) {
  test::ErrorRecorder errors;
  if (!open(320, 200, 0)) {
    GTEST_SKIP() << "no display";
  }
  GLFWwindow* window = glfwGetCurrentContext();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(glfwGetWindowAttrib(window, GLFW_RESIZABLE), GLFW_FALSE);
  EXPECT_EQ(glfwGetWindowAttrib(window, GLFW_OPENGL_PROFILE), GLFW_OPENGL_CORE_PROFILE);
  const int major = glfwGetWindowAttrib(window, GLFW_CONTEXT_VERSION_MAJOR);
  const int minor = glfwGetWindowAttrib(window, GLFW_CONTEXT_VERSION_MINOR);
  EXPECT_GE(major * 10 + minor, 33);
  EXPECT_EQ(glfwGetInputMode(window, GLFW_STICKY_KEYS), 1);
  EXPECT_EQ(glfwGetInputMode(window, GLFW_CURSOR), GLFW_CURSOR_HIDDEN);
  int width = 0, height = 0;
  glfwGetWindowSize(window, &width, &height);
  EXPECT_EQ(width, 320);
  EXPECT_EQ(height, 200);
  GLint samples = -1;
  glGetIntegerv(GL_SAMPLES, &samples);
  EXPECT_EQ(samples, 0);
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(PlayerWindow, AsksForFourSamplesOnlyWithMultisampling) {
  if (!open(160, 90, 1)) {
    GTEST_SKIP() << "no display";
  }
  GLint samples = 0;
  glGetIntegerv(GL_SAMPLES, &samples);
  EXPECT_EQ(samples, 4);
}

TEST_F(PlayerWindow, ShowsTheProgramIconAtEveryWindowSize) {
  if (!open(160, 90, 0)) {
    GTEST_SKIP() << "no display";
  }
  const std::vector<platform::RgbaPicture> icons = windowIcons();
  const std::vector<unsigned long> property =
      test::windowIconProperty(test::x11Window(glfwGetCurrentContext()));
  ASSERT_FALSE(property.empty()) << "the window has no icon";
  EXPECT_EQ(property.size(), test::expectedIconProperty(icons).size());
  EXPECT_TRUE(property == test::expectedIconProperty(icons)) << "the icon's pixels differ";
}

TEST_F(PlayerWindow, RenderStateIsLetterboxedWithDepthTestAndABlackFrame) {
  test::TempDir dir;
  test::writeFilterShaders(dir.path());
  dir.write("Data/Loading.png", test::encodePng(1, 1, {255, 255, 255, 255}));
  test::ScopedWorkingDirectory workingDirectory(dir.path());
  test::ErrorRecorder errors;
  if (!open(320, 240, 0)) {
    GTEST_SKIP() << "no display";
  }
  // Paint the window white first, so black can only come from initRenderState.
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glfwSwapBuffers(glfwGetCurrentContext());

  ASSERT_TRUE(initRenderState(show));
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[0], 0);
  EXPECT_EQ(viewport[1], 30);
  EXPECT_EQ(viewport[2], 320);
  EXPECT_EQ(viewport[3], 180);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  GLint depthFunc = 0;
  glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
  EXPECT_EQ(depthFunc, GL_LESS);
  GLint vertexArray = 0;
  glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
  EXPECT_NE(vertexArray, 0);
  GLfloat clear[4] = {1, 1, 1, 1};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(clear[0] + clear[1] + clear[2] + clear[3], 0.0f);

  glReadBuffer(GL_FRONT);
  const auto pixels = test::readPixels(0, 0, 320, 240);
  std::size_t nonBlack = 0;
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    nonBlack += (pixels[i] | pixels[i + 1] | pixels[i + 2]) != 0;
  }
  EXPECT_EQ(nonBlack, 0u);

  // The filter chain exists, its targets restore the letterboxed view, and
  // the top level of Data/ has been scanned.
  ASSERT_NE(show.filter, nullptr);
  EXPECT_FALSE(show.filter->failed());
  EXPECT_EQ(show.filter->sceneTarget().savedViewport(),
            (std::array<std::int32_t, 4>{0, 30, 320, 180}));
  const GLuint loading = show.rootTextures.find("Loading.png");
  EXPECT_NE(loading, 0u);
  EXPECT_TRUE(errors.messages().empty());

  // The loading screen: the picture over the whole view, presented. The
  // front buffer of a hidden window cannot be read back, but this GL's swap
  // leaves the back buffer as it was.
  drawLoadingScreen(*show.filter, loading);
  glReadBuffer(GL_BACK);
  const auto centre = test::readPixels(160, 120, 1, 1);
  EXPECT_GE(centre[0] + centre[1] + centre[2], 3 * 247);
  GLint program = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  EXPECT_EQ(program, 0);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(PlayerWindow, RenderStateFailsWhenTheFilterChainCannotBeMade) {
  test::TempDir dir;
  test::writeFilterShaders(dir.path());
  dir.write("Data/Shaders/Filters.frag", "#version 330 core\nvoid main() { broken }\n");
  test::ScopedWorkingDirectory workingDirectory(dir.path());
  test::ErrorRecorder errors;
  if (!open(320, 240, 1)) {
    GTEST_SKIP() << "no display";
  }
  testing::internal::CaptureStderr();
  EXPECT_FALSE(initRenderState(show));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(errors.messages(), std::vector<std::string>{"Error compiling filter shader"});
}

TEST(CreateWindow, WithoutADisplayReportsGlfwAndFails) {
  test::ErrorRecorder errors;
  bool opened = true;
  std::string err;
  {
    test::ScopedEnvironmentVariable noX("DISPLAY");
    test::ScopedEnvironmentVariable noWayland("WAYLAND_DISPLAY");
    testing::internal::CaptureStderr();
    DemoConfig config;
    config.width = config.height = 64;
    opened = createWindow(config);
    err = testing::internal::GetCapturedStderr();
  }
  glfwTerminate();
  EXPECT_FALSE(opened);
  EXPECT_EQ(errors.messages(), (std::vector<std::string>{"Unable to initialize GLFW!"}));
  // GLFW's description, as a line of its own.
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
}

}  // namespace
}  // namespace tessaly::app

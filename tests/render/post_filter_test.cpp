#include "render/post_filter.h"

#include "tests/support/error_recorder.h"
#include "tests/support/filter_shaders.h"
#include "tests/support/gl_context.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace tessaly::render {
namespace {

// A hidden 64x64 window with the player's depth test, its viewport over the
// whole window (the "screen viewport"), and the tests' own filter shaders in
// the working directory.
class PostFilterTest : public testing::Test {
 protected:
  PostFilterTest() {
    test::writeFilterShaders(dir.path());
    if (context.ok()) {
      glEnable(GL_DEPTH_TEST);
      glDepthFunc(GL_LESS);
    }
  }

  test::GlContext context{64, 64};
  test::TempDir dir;
  test::ScopedWorkingDirectory workingDirectory{dir.path()};
  test::ErrorRecorder errors;
};

GLint currentProgram() {
  GLint program = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  return program;
}

std::vector<float> uniformFloats(GLuint program, const char* name, int count) {
  GLfloat values[4] = {};
  glGetUniformfv(program, glGetUniformLocation(program, name), values);
  return std::vector<float>(values, values + count);
}

GLint uniformInt(GLuint program, const char* name) {
  GLint value = -1;
  glGetUniformiv(program, glGetUniformLocation(program, name), &value);
  return value;
}

TEST_F(PostFilterTest, MakesNineTargetsHalvingOddSizesDown) {
  TESSALY_REQUIRE_GL(context);
  glViewport(0, 3, 33, 17);
  for (std::int32_t multisampled : {0, 1}) {
    PostFilter filter(multisampled, 33, 17);
    ASSERT_FALSE(filter.failed());
    ASSERT_EQ(filter.fullTargets().size(), 4u);
    ASSERT_EQ(filter.halfTargets().size(), 4u);
    for (const auto& target : filter.fullTargets()) {
      EXPECT_EQ(target.width(), 33);
      EXPECT_EQ(target.height(), 17);
      EXPECT_EQ(target.multisampled(), multisampled);
      EXPECT_EQ(target.savedViewport(), (std::array<std::int32_t, 4>{0, 3, 33, 17}));
    }
    for (const auto& target : filter.halfTargets()) {
      EXPECT_EQ(target.width(), 16);
      EXPECT_EQ(target.height(), 8);
      EXPECT_EQ(target.multisampled(), multisampled);
    }
    ASSERT_NE(filter.pixelTarget(), nullptr);
    EXPECT_EQ(filter.pixelTarget()->width(), 1);
    EXPECT_EQ(filter.pixelTarget()->height(), 1);
    EXPECT_EQ(filter.pixelTarget()->multisampled(), 0);
    EXPECT_EQ(&filter.sceneTarget(), &filter.fullTargets()[0]);
    EXPECT_EQ(currentProgram(), 0);
  }
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(PostFilterTest, TheQuadIsTheTableOf120BytesAndTheFilterUniformsAreSet) {
  TESSALY_REQUIRE_GL(context);
  PostFilter filter(0, 64, 64);
  ASSERT_FALSE(filter.failed());
  glBindBuffer(GL_ARRAY_BUFFER, filter.quadBuffer());
  GLint size = 0;
  glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
  EXPECT_EQ(size, 120);
  float vertices[30] = {};
  glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof vertices, vertices);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  const float expected[30] = {-1, -1, 0, 0, 0, 1, -1, 0, 1, 0, 1,  1, 0, 1, 1,
                              -1, -1, 0, 0, 0, 1, 1,  0, 1, 1, -1, 1, 0, 0, 1};
  EXPECT_EQ(std::memcmp(vertices, expected, sizeof vertices), 0);

  const GLuint program = filter.filterProgram().program();
  EXPECT_EQ(uniformInt(program, "filterNumber"), 0);
  EXPECT_EQ(uniformInt(program, "filterMap"), 0);
  EXPECT_EQ(uniformFloats(program, "colorLine", 1), std::vector<float>{0.5f});
  EXPECT_EQ(uniformFloats(program, "colorValue1", 4), (std::vector<float>{1, 1, 1, 1}));
  EXPECT_EQ(uniformFloats(program, "colorValue2", 4), (std::vector<float>{0, 0, 0, 1}));
  EXPECT_TRUE(filter.bokehProgram().isCompiled());
}

TEST_F(PostFilterTest, DrawBlendsAndDrawAdditiveAddsThenLeaveNoProgramAndNoBlending) {
  TESSALY_REQUIRE_GL(context);
  PostFilter filter(0, 64, 64);
  ASSERT_FALSE(filter.failed());
  const auto red = RenderTarget::solidColor({1, 0, 0, 1});
  struct Case {
    bool additive;
    std::uint8_t expected[3];
  };
  // On a grey of 64: alpha-blended red at 0.5 gives (159.5, 32, 32); added
  // red at 0.5 gives (191.5, 64, 64).
  for (const Case c : {Case{false, {160, 32, 32}}, Case{true, {192, 64, 64}}}) {
    glClearColor(64 / 255.0f, 64 / 255.0f, 64 / 255.0f, 1.0f);
    PostFilter::clear();
    PostFilter::clearDepth();
    glActiveTexture(GL_TEXTURE3);  // a model draw may leave another unit active
    if (c.additive) {
      filter.drawAdditive(red.colorTexture(), 0.5f);
    } else {
      filter.draw(red.colorTexture(), 0.5f);
    }
    EXPECT_EQ(currentProgram(), 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint arrayBuffer = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
    EXPECT_EQ(arrayBuffer, 0);
    const auto pixel = test::readPixels(32, 32, 1, 1);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(pixel[i], c.expected[i], 1) << (c.additive ? "additive " : "blended ") << i;
    }
  }
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(PostFilterTest, SetOffsetDoublesItsArgumentsAndKeepsTheFilterProgramCurrent) {
  TESSALY_REQUIRE_GL(context);
  PostFilter filter(0, 64, 64);
  ASSERT_FALSE(filter.failed());
  const GLuint program = filter.filterProgram().program();
  filter.setOffset(0.25f, -0.5f);
  EXPECT_EQ(uniformFloats(program, "offset", 2), (std::vector<float>{0.5f, -1.0f}));
  filter.setOffset(0.0f, 0.0f);
  EXPECT_EQ(uniformFloats(program, "offset", 2), (std::vector<float>{0.0f, 0.0f}));
  EXPECT_EQ(static_cast<GLuint>(currentProgram()), program);
}

// The screen after a glow of a black scene with one white pixel at (20, 40).
std::vector<std::uint8_t> glowOfOnePixel(PostFilter& filter, float alpha) {
  const RenderTarget& scene = filter.sceneTarget();
  scene.bind();
  glClearColor(0, 0, 0, 1);
  PostFilter::clear();
  glEnable(GL_SCISSOR_TEST);
  glScissor(20, 40, 1, 1);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0, 0, 0, 0);
  scene.unbind();
  filter.glow(3.0f, alpha);
  return test::readPixels(0, 0, 64, 64);
}

std::uint8_t red(const std::vector<std::uint8_t>& screen, int x, int y) {
  return screen[static_cast<std::size_t>(y * 64 + x) * 4];
}

TEST_F(PostFilterTest, GlowSpreadsOneBrightPixelAlongBothAxesUnderTheFadeAlpha) {
  TESSALY_REQUIRE_GL(context);
  std::vector<std::uint8_t> byMultisampling[2];
  for (std::int32_t multisampled : {0, 1}) {
    PostFilter filter(multisampled, 64, 64);
    ASSERT_FALSE(filter.failed());
    const auto full = glowOfOnePixel(filter, 1.0f);
    const auto faded = glowOfOnePixel(filter, 0.5f);

    EXPECT_EQ(red(full, 20, 40), 255);
    // The blur reaches a few pixels along x and along y ...
    for (const auto& [dx, dy] : {std::pair{3, 0}, {-3, 0}, {0, 3}, {0, -3}}) {
      EXPECT_GT(red(full, 20 + dx, 40 + dy), 8) << dx << "," << dy;
      // ... and the fade alpha scales the glow as it scales the scene.
      EXPECT_NEAR(red(faded, 20 + dx, 40 + dy), red(full, 20 + dx, 40 + dy) / 2.0, 1.5)
          << dx << "," << dy;
    }
    // The pixel itself: half the scene plus half its own glow.
    EXPECT_GE(red(faded, 20, 40), 127);
    EXPECT_LT(red(faded, 20, 40), 255);
    // Far from the pixel the screen stays black.
    EXPECT_EQ(red(full, 45, 40), 0);
    EXPECT_EQ(red(full, 20, 10), 0);
    EXPECT_EQ(currentProgram(), 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 64);
    byMultisampling[multisampled] = full;
  }
  // Clears only, so no edge is antialiased: both paths give the same image.
  EXPECT_EQ(byMultisampling[0], byMultisampling[1]);
}

TEST_F(PostFilterTest, AChainThatGoesDeletesEveryNameItMade) {
  TESSALY_REQUIRE_GL(context);
  std::vector<GLuint> framebuffers;
  GLuint program = 0;
  GLuint quad = 0;
  {
    PostFilter filter(1, 45, 27);
    ASSERT_FALSE(filter.failed());
    EXPECT_EQ(filter.halfTargets()[3].width(), 22);
    for (const auto* targets : {&filter.fullTargets(), &filter.halfTargets()}) {
      for (const RenderTarget& target : *targets) {
        framebuffers.push_back(target.framebuffer());
        framebuffers.push_back(target.msFramebuffer());
      }
    }
    program = filter.filterProgram().program();
    quad = filter.quadBuffer();
    ASSERT_TRUE(glIsProgram(program));
    ASSERT_TRUE(glIsBuffer(quad));
  }
  for (GLuint framebuffer : framebuffers) {
    EXPECT_FALSE(glIsFramebuffer(framebuffer)) << framebuffer;
  }
  EXPECT_FALSE(glIsProgram(program));
  EXPECT_FALSE(glIsBuffer(quad));
}

TEST_F(PostFilterTest, EachCreationFailureShowsItsMessageAndSetsFailed) {
  TESSALY_REQUIRE_GL(context);
  const auto messagesOf = [&](std::int32_t multisampled, std::int32_t width, std::int32_t height) {
    errors.clear();
    PostFilter filter(multisampled, width, height);
    EXPECT_TRUE(filter.failed());
    return errors.messages();
  };
  using Messages = std::vector<std::string>;

  EXPECT_EQ(messagesOf(0, 0, 0), Messages{"Failed to initialize FBO!"});
  EXPECT_EQ(messagesOf(1, 0, 0), Messages{"Failed to initialize mFBO!"});

  const GLboolean vertexFlag = __GLEW_ARB_vertex_program;
  const GLboolean fragmentFlag = __GLEW_ARB_fragment_program;
  __GLEW_ARB_vertex_program = GL_FALSE;
  __GLEW_ARB_fragment_program = GL_FALSE;
  EXPECT_EQ(messagesOf(0, 8, 8), Messages{"Vertex and fragment shaders not supported!"});
  __GLEW_ARB_vertex_program = vertexFlag;
  __GLEW_ARB_fragment_program = fragmentFlag;

  dir.write("Data/Shaders/Bokeh.frag", "#version 330 core\nvoid main() { broken }\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(messagesOf(0, 8, 8), Messages{"Error compiling bokeh shader"});
  std::filesystem::remove(dir.file("Data/Shaders/Filters.frag"));
  EXPECT_EQ(messagesOf(0, 8, 8), Messages{"Error compiling filter shader"});
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("Data/Shaders/Bokeh.frag"), std::string::npos) << log;
  EXPECT_NE(log.find("Data/Shaders/Filters.frag"), std::string::npos) << log;
}

}  // namespace
}  // namespace tessaly::render

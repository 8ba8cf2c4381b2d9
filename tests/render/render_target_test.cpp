#include "render/render_target.h"

#include "render/shader_program.h"
#include "tests/support/error_recorder.h"
#include "tests/support/gl_context.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaly::render {
namespace {

// The RGBA float texels of one level of the texture bound to GL_TEXTURE_2D.
std::vector<float> levelTexels(GLuint texture, int level) {
  glBindTexture(GL_TEXTURE_2D, texture);
  GLint width = 0, height = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
  std::vector<float> texels(static_cast<std::size_t>(width) * height * 4);
  glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_FLOAT, texels.data());
  return texels;
}

// Every texel of every level equals `rgba`.
void expectEveryLevel(GLuint texture, int levels, const std::vector<float>& rgba) {
  for (int level = 0; level < levels; ++level) {
    const std::vector<float> texels = levelTexels(texture, level);
    ASSERT_FALSE(texels.empty()) << "level " << level;
    for (std::size_t i = 0; i < texels.size(); ++i) {
      ASSERT_EQ(texels[i], rgba[i % 4]) << "level " << level << " component " << i;
    }
  }
}

void clearTo(float r, float g, float b, float a) {
  glClearColor(r, g, b, a);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

class RenderTargetTest : public testing::Test {
 protected:
  test::GlContext context{32, 32};
  test::ErrorRecorder errors;
};

TEST_F(RenderTargetTest, SolidColourTexturesReadTheirColourAndTheClearColourIsKept) {
  TESSALY_REQUIRE_GL(context);
  glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
  const auto white = RenderTarget::solidColor({1, 1, 1, 1});
  const auto clear = RenderTarget::solidColor({0, 0, 0, 0});
  expectEveryLevel(white.colorTexture(), 1, {1, 1, 1, 1});
  expectEveryLevel(clear.colorTexture(), 1, {0, 0, 0, 0});
  EXPECT_FALSE(white.failed());
  EXPECT_EQ(white.multisampled(), 0);
  GLfloat clearColour[4] = {};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
  EXPECT_EQ(std::vector<float>(clearColour, clearColour + 4),
            (std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f}));
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(RenderTargetTest, MipmapsAreRegeneratedOnEveryUnbind) {
  TESSALY_REQUIRE_GL(context);
  RenderTarget target(0, 8, 8);  // levels 8, 4, 2, 1
  target.bind();
  clearTo(1, 1, 1, 1);
  target.unbind();
  expectEveryLevel(target.colorTexture(), 4, {1, 1, 1, 1});
  target.bind();
  clearTo(0, 0, 0, 0);
  target.unbind();
  expectEveryLevel(target.colorTexture(), 4, {0, 0, 0, 0});
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), target.colorTexture());
}

TEST_F(RenderTargetTest, UnbindRestoresTheViewportOfConstruction) {
  TESSALY_REQUIRE_GL(context);
  glViewport(1, 2, 30, 20);
  RenderTarget target(0, 8, 4);
  EXPECT_EQ(target.savedViewport(), (std::array<std::int32_t, 4>{1, 2, 30, 20}));
  glViewport(5, 5, 5, 5);
  target.bind();
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, 8, 4}));
  GLint framebuffer = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
  EXPECT_EQ(static_cast<GLuint>(framebuffer), target.framebuffer());
  target.unbind();
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{1, 2, 30, 20}));
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
  EXPECT_EQ(framebuffer, 0);
}

TEST_F(RenderTargetTest, FourSamplesAreDrawnSeparatelyAndResolvedOnUnbind) {
  TESSALY_REQUIRE_GL(context);
  RenderTarget target(1, 4, 2);
  ASSERT_FALSE(target.failed());
  EXPECT_EQ(target.samples(), 4);
  GLint samples = 0;
  glBindRenderbuffer(GL_RENDERBUFFER, target.msColorBuffer());
  glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &samples);
  EXPECT_EQ(samples, 4);

  target.bind();
  GLint framebuffer = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
  EXPECT_EQ(static_cast<GLuint>(framebuffer), target.msFramebuffer());
  clearTo(1, 0, 0, 1);
  glEnable(GL_SCISSOR_TEST);
  glScissor(2, 0, 2, 2);  // right half green
  clearTo(0, 1, 0, 1);
  glDisable(GL_SCISSOR_TEST);
  target.unbind();

  const std::vector<float> texels = levelTexels(target.colorTexture(), 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) {
      const float* texel = &texels[static_cast<std::size_t>(y * 4 + x) * 4];
      const bool green = x >= 2;
      EXPECT_EQ(texel[0], green ? 0.0f : 1.0f) << x << "," << y;
      EXPECT_EQ(texel[1], green ? 1.0f : 0.0f) << x << "," << y;
    }
  }
}

TEST_F(RenderTargetTest, TextureCoordinatesBeyondOneMirror) {
  TESSALY_REQUIRE_GL(context);
  // Source: 4x1, red red green green.
  RenderTarget source(0, 4, 1);
  source.bind();
  clearTo(1, 0, 0, 1);
  glEnable(GL_SCISSOR_TEST);
  glScissor(2, 0, 2, 1);
  clearTo(0, 1, 0, 1);
  glDisable(GL_SCISSOR_TEST);
  source.unbind();

  // Draw it into an 8x1 target with u running from 0 to 2: texel centres
  // fall exactly on pixel centres, so only the wrap mode decides.
  test::TempDir dir;
  const std::string vertexPath = dir.write("wrap.vert", R"(#version 330 core
out float u;
void main() {
  vec2 corner = vec2(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0);
  u = corner.x + 1.0;
  gl_Position = vec4(corner, 0.0, 1.0);
}
)");
  const std::string fragmentPath = dir.write("wrap.frag", R"(#version 330 core
in float u;
out vec4 fragColor;
uniform sampler2D map;
void main() { fragColor = texture(map, vec2(u, 0.5)); }
)");
  ShaderProgram program(vertexPath.c_str(), fragmentPath.c_str());
  ASSERT_TRUE(program.isCompiled());

  RenderTarget output(0, 8, 1);
  output.bind();
  clearTo(0, 0, 0, 0);
  program.use();
  program.setInt("map", 0);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, source.colorTexture());
  glDrawArrays(GL_TRIANGLES, 0, 3);
  ShaderProgram::unuse();
  output.unbind();

  const std::vector<float> texels = levelTexels(output.colorTexture(), 0);
  std::string reds;
  for (int x = 0; x < 8; ++x) {
    reds += texels[static_cast<std::size_t>(x) * 4] == 1.0f
                ? 'R'
                : (texels[x * 4 + 1] == 1.0f ? 'G' : '?');
  }
  EXPECT_EQ(reds, "RRGGGGRR");  // repeat would give RRGGRRGG, clamp RRGGGGGG
}

TEST_F(RenderTargetTest, IncompleteFramebuffersReportTheirMessageAndUnbindAgain) {
  TESSALY_REQUIRE_GL(context);
  RenderTarget single(0, 0, 0);
  EXPECT_TRUE(single.failed());
  EXPECT_NE(single.status(), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
  RenderTarget multi(1, 0, 0);
  EXPECT_TRUE(multi.failed());
  EXPECT_EQ(multi.colorTexture(), 0u);  // the single-sample part is not made
  EXPECT_EQ(errors.messages(),
            (std::vector<std::string>{"Failed to initialize FBO!", "Failed to initialize mFBO!"}));
  GLint framebuffer = -1;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
  EXPECT_EQ(framebuffer, 0);
}

}  // namespace
}  // namespace tessaly::render

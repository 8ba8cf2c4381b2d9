// GPU objects own their names: a program rebuilt, a picture re-uploaded and
// a model read again a thousand times over leave exactly as many live GL
// objects of every kind as there were after the first, counted by asking GL
// about every name it can have handed out.
#include "assets/image_decoder.h"
#include "assets/mesh.h"
#include "assets/texture_registry.h"
#include "render/shader_program.h"
#include "tests/assets/model_drawing_support.h"
#include "tests/support/error_recorder.h"
#include "tests/support/gl_context.h"
#include "tests/support/png_writer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>

namespace tessaly::assets {
namespace {

// Live objects of each kind among the names 1 .. `upTo`.
std::array<int, 6> liveNames(GLuint upTo) {
  std::array<int, 6> live{};
  for (GLuint name = 1; name <= upTo; ++name) {
    live[0] += glIsTexture(name) ? 1 : 0;
    live[1] += glIsBuffer(name) ? 1 : 0;
    live[2] += glIsFramebuffer(name) ? 1 : 0;
    live[3] += glIsRenderbuffer(name) ? 1 : 0;
    live[4] += glIsShader(name) ? 1 : 0;
    live[5] += glIsProgram(name) ? 1 : 0;
  }
  return live;
}

TEST(Replacement, AThousandRebuildsOfAProgramAPictureAndAModelLeaveTheLiveNamesAsTheyWere) {
  test::GlContext context{16, 16};
  TESSALY_REQUIRE_GL(context);
  test::ErrorRecorder errors;
  test::TempDir dir;
  const std::string vertex = dir.write("Model.vert", test::modelVertexSource);
  const std::string fragment = dir.write("Model.frag", test::flatFragmentSource);
  const std::string picture = dir.write("Wall.png", test::encodePng(2, 2, std::vector<std::uint8_t>(16, 90)));
  dir.write("Wall.mtl", "newmtl wall\nKd 0.5 0.5 0.5\nmap_Kd Wall.png\nnewmtl trim\nKa 1 0 0\n");
  const std::string model = dir.write(
      "Wall.obj",
      "mtllib Wall.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0\nvn 0 0 1\n"
      "usemtl wall\nf 1/1/1 2/1/1 3/1/1\nusemtl trim\nf 3/1/1 2/1/1 1/1/1\n");
  initializeDevil();
  DecodedImage image;
  ASSERT_EQ(decodeImage(picture, image), DecodeStatus::decoded);

  render::ShaderProgram program(vertex.c_str(), fragment.c_str());
  TextureRegistry textures;
  ASSERT_TRUE(textures.load(picture, "Wall.png"));
  Mesh mesh(model);
  mesh.setTextureRegistry(textures);
  ASSERT_TRUE(program.isCompiled());
  ASSERT_TRUE(mesh.isLoaded());

  // Mesa hands out names in ascending order, so after the loop every name
  // ever made lies below what the counts scan.
  constexpr GLuint scanned = 40000;
  const std::array<int, 6> before = liveNames(scanned);
  for (int i = 0; i < 1000; ++i) {
    program = render::ShaderProgram(vertex.c_str(), fragment.c_str());
    ASSERT_TRUE(textures.replace(picture, DecodeStatus::decoded, image));
    ASSERT_TRUE(mesh.load(model));
  }
  EXPECT_EQ(liveNames(scanned), before);
  EXPECT_GT(before[0], 0);
  EXPECT_GT(before[5], 0);

  // The replacements are whole: the name still finds a texture, the model
  // still draws with its two materials and the program still links.
  EXPECT_TRUE(glIsTexture(textures.find("Wall.png")));
  EXPECT_EQ(textures.find("Wall.png"), textures.entries()[0].ownTexture());
  EXPECT_EQ(mesh.materials().size(), 2u);
  EXPECT_TRUE(glIsBuffer(mesh.vertexBuffer()));
  EXPECT_TRUE(program.isCompiled());
  EXPECT_TRUE(errors.messages().empty());
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace tessaly::assets

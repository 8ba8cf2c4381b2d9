#include "assets/material.h"

#include "tests/support/gl_context.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>

namespace tessaly::assets {
namespace {

using Rgba = std::array<float, 4>;

// The float texel of a 1x1 texture.
Rgba texel(GLuint texture) {
  Rgba value{-1, -1, -1, -1};
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, value.data());
  return value;
}

void expectTexel(GLuint texture, Rgba expected, const char* what) {
  const Rgba value = texel(texture);
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(value[i], expected[i]) << what << " component " << i;
  }
}

Rgba clearColor() {
  Rgba value{};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, value.data());
  return value;
}

class MaterialTest : public testing::Test {
 protected:
  test::GlContext context{16, 16};
  test::TempDir dir;
};

TEST_F(MaterialTest, WithoutColourLinesTheDiffuseSwatchIsWhiteAndTheOthersBlack) {
  TESSALY_REQUIRE_GL(context);
  Material material{MaterialData{}};
  expectTexel(material.ambientSwatch().colorTexture(), {0, 0, 0, 1}, "ambient");
  expectTexel(material.diffuseSwatch().colorTexture(), {1, 1, 1, 1}, "diffuse");
  expectTexel(material.specularSwatch().colorTexture(), {0, 0, 0, 1}, "specular");
  expectTexel(material.emissiveSwatch().colorTexture(), {0, 0, 0, 1}, "emissive");
  for (const render::RenderTarget* swatch :
       {&material.ambientSwatch(), &material.diffuseSwatch(), &material.specularSwatch(),
        &material.emissiveSwatch()}) {
    EXPECT_EQ(swatch->width(), 1);
    EXPECT_EQ(swatch->height(), 1);
    EXPECT_EQ(swatch->multisampled(), 0);
  }
}

TEST_F(MaterialTest, ALibraryPaintsTheLastColourOfEachLineAndPutsTheClearColourBack) {
  TESSALY_REQUIRE_GL(context);
  const std::string path = dir.write("Painted.mtl",
                                     "newmtl Painted\n"
                                     "Kd 1 1 0\n"
                                     "Kd 0.2 0.4 0.6\n"
                                     "Ka 0.1 0.2 0.3\n"
                                     "Ks 0.5 0.25 0.125\n"
                                     "Ke 0.75 0 1\n"
                                     "Ns 12\n"
                                     "map_Kd Painted.png\n"
                                     "newmtl Plain\n");
  glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
  const std::vector<MaterialData> read = readMtlFile(path).materials;
  std::vector<Material> materials(read.begin(), read.end());
  ASSERT_EQ(materials.size(), 2u);
  const Material& painted = materials[0];
  EXPECT_EQ(painted.values.name, "Painted");
  EXPECT_FLOAT_EQ(painted.values.shininess, 12.0f);
  EXPECT_EQ(painted.values.diffuseMap, "Painted.png");
  expectTexel(painted.diffuseSwatch().colorTexture(), {0.2f, 0.4f, 0.6f, 1}, "diffuse");
  expectTexel(painted.ambientSwatch().colorTexture(), {0.1f, 0.2f, 0.3f, 1}, "ambient");
  expectTexel(painted.specularSwatch().colorTexture(), {0.5f, 0.25f, 0.125f, 1}, "specular");
  expectTexel(painted.emissiveSwatch().colorTexture(), {0.75f, 0, 1, 1}, "emissive");
  expectTexel(materials[1].diffuseSwatch().colorTexture(), {1, 1, 1, 1}, "second diffuse");
  EXPECT_EQ(clearColor(), (Rgba{0, 0, 0, 0}));
}

}  // namespace
}  // namespace tessaly::assets

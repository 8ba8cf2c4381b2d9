#include "assets/mesh.h"

#include "assets/texture_registry.h"
#include "tests/assets/model_drawing_support.h"
#include "tests/support/error_recorder.h"
#include "tests/support/png_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace tessaly::assets {
namespace {

using Messages = std::vector<std::string>;
using test::attributeEnabled;
using test::floatState;
using test::integerState;
using test::isEnabled;
using test::pixelAt;
using test::textureOnUnit;

// A quad covering clip space, written as one four-corner face (read as two
// triangles), textured with "Checker.png" and facing +z.
constexpr const char* quadObj =
    "mtllib Quad.mtl\n"
    "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
    "vn 0 0 1\n"
    "usemtl Checker\n"
    "f 1/1/1 2/2/1 3/3/1 4/4/1\n";
constexpr const char* quadMtl = "newmtl Checker\nmap_Kd Checker.png\n";

// The same quad with a material that names no map, and faces before it
// with none at all.
constexpr const char* plainObj =
    "mtllib Plain.mtl\n"
    "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
    "vn 0 0 1\n"
    "f 1/1/1 2/2/1 3/3/1\n"
    "usemtl Plain\n"
    "f 1/1/1 3/3/1 4/4/1\n";
constexpr const char* plainMtl = "newmtl Plain\nKa 0.1 0.1 0.1\nKd 0.5 0.5 0.5\n";

// Three points in file order; the first sits on the centre of the view.
constexpr const char* cloudObj = "v 0 0 0\nv 0.5 0.25 -0.5\nv -0.75 1 0.125\n";

// A 2x2 picture, top row red, green; bottom row blue, white.
std::string checkerPng() {
  return test::encodePng(2, 2, {255, 0, 0, 255, 0, 255, 0, 255,  //
                                0, 0, 255, 255, 255, 255, 255, 255});
}

std::string solidPng(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return test::encodePng(1, 1, {r, g, b, 255});
}

template <typename T>
std::vector<T> bufferContents(GLenum target, GLuint buffer, std::size_t count) {
  std::vector<T> values(count);
  glBindBuffer(target, buffer);
  glGetBufferSubData(target, 0, static_cast<GLsizeiptr>(count * sizeof(T)), values.data());
  glBindBuffer(target, 0);
  return values;
}

GLint64 bufferSize(GLuint buffer) {
  GLint64 size = -1;
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glGetBufferParameteri64v(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  return size;
}

// Buffer fills that store half of what they are given on the n-th fill: the
// driver's glBufferData entry, as GLEW dispatches it, stands in for a driver
// that keeps less than it was asked to.
int fillCount = 0;
int shortFillNumber = 0;
PFNGLBUFFERDATAPROC driverBufferData = nullptr;
void GLAPIENTRY shortFill(GLenum target, GLsizeiptr size, const void* data, GLenum usage) {
  ++fillCount;
  driverBufferData(target, fillCount == shortFillNumber ? size / 2 : size, data, usage);
}

class ShortFill {
 public:
  explicit ShortFill(int number) {
    fillCount = 0;
    shortFillNumber = number;
    driverBufferData = __glewBufferData;
    __glewBufferData = shortFill;
  }
  ~ShortFill() { __glewBufferData = driverBufferData; }
};

class MeshTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!context.ok()) {
      GTEST_SKIP() << "no OpenGL 3.3 core context (no display?)";
    }
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }

  std::string write(const std::string& name, const std::string& text) const {
    return dir.write(name, text);
  }

  // The plain quad and its library; returns the model's path.
  std::string writePlainModel() const {
    write("Plain.mtl", plainMtl);
    return write("Plain.obj", plainObj);
  }

  std::unique_ptr<render::ShaderProgram> flatProgram(float r, float g, float b, float a) {
    auto program = test::buildProgram(dir, "flat", test::modelVertexSource, test::flatFragmentSource);
    if (program) {
      program->use();
      program->setVec4("color", r, g, b, a);
    }
    return program;
  }

  test::GlContext context{64, 64};
  test::TempDir dir;
  test::ErrorRecorder errors;
};

TEST_F(MeshTest, AModelUploadsItsVertexStreamAndIndexList) {
  Mesh mesh(writePlainModel());
  ASSERT_TRUE(mesh.isLoaded());
  EXPECT_FALSE(mesh.isPointCloud());
  EXPECT_EQ(mesh.path(), dir.file("Plain.obj"));
  const ObjData& data = mesh.data();
  ASSERT_EQ(data.indexData.size(), 6u);
  ASSERT_EQ(data.vertexData.size(), 6u * floatsPerVertex);
  EXPECT_EQ(bufferSize(mesh.vertexBuffer()), GLint64{6 * 32});
  EXPECT_EQ(bufferContents<float>(GL_ARRAY_BUFFER, mesh.vertexBuffer(), data.vertexData.size()),
            data.vertexData);
  EXPECT_EQ(bufferContents<std::uint32_t>(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer(), 6),
            (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5}));
  // One material from the library, and the default for the face before it.
  ASSERT_EQ(mesh.materials().size(), 1u);
  ASSERT_EQ(data.batches.size(), 2u);
  EXPECT_EQ(&mesh.materialOf(data.batches[1]), &mesh.materials()[0]);
  EXPECT_NE(&mesh.materialOf(data.batches[0]), &mesh.materials()[0]);
  EXPECT_EQ(errors.messages(), Messages{});
}

// Materials of equal colours share their swatches: a library of 1,000
// materials in three colours makes four swatch targets (the three colours
// and black), not 4,000, and each swatch still shows its material's colour.
TEST_F(MeshTest, MaterialsOfEqualColoursShareTheirSwatches) {
  const float colours[3][3] = {{1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  std::string mtl;
  for (int i = 0; i < 1000; ++i) {
    const float* c = colours[i % 3];
    mtl += "newmtl m" + std::to_string(i) + "\nKd " + std::to_string(c[0]) + " " +
           std::to_string(c[1]) + " " + std::to_string(c[2]) + "\n";
  }
  write("Many.mtl", mtl);
  Mesh mesh(write("Many.obj", "mtllib Many.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nusemtl m2\n"
                              "f 1//1 2//1 3//1\n"));
  ASSERT_TRUE(mesh.isLoaded());
  ASSERT_EQ(mesh.materials().size(), 1000u);
  std::set<GLuint> textures;
  for (const Material& material : mesh.materials()) {
    for (const render::RenderTarget* swatch :
         {&material.ambientSwatch(), &material.diffuseSwatch(), &material.specularSwatch(),
          &material.emissiveSwatch()}) {
      textures.insert(swatch->colorTexture());
    }
  }
  EXPECT_EQ(textures.size(), 4u);
  for (int i : {0, 1, 2, 999}) {
    const Material& material = mesh.materials()[static_cast<std::size_t>(i)];
    float texel[4] = {-1, -1, -1, -1};
    glBindTexture(GL_TEXTURE_2D, material.diffuseSwatch().colorTexture());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texel);
    const float* c = colours[i % 3];
    EXPECT_EQ(std::vector<float>(texel, texel + 4), (std::vector<float>{c[0], c[1], c[2], 1}))
        << "material " << i;
  }
  ASSERT_EQ(mesh.data().batches.size(), 1u);
  EXPECT_EQ(&mesh.materialOf(mesh.data().batches[0]), &mesh.materials()[2]);
}

TEST_F(MeshTest, APointCloudUploadsItsPositionsInFileOrderAndNoIndexList) {
  Mesh mesh(write("Cloud.obj", cloudObj));
  ASSERT_TRUE(mesh.isLoaded());
  EXPECT_TRUE(mesh.isPointCloud());
  EXPECT_EQ(mesh.indexBuffer(), 0u);
  EXPECT_EQ(bufferContents<float>(GL_ARRAY_BUFFER, mesh.vertexBuffer(), 9),
            (std::vector<float>{0, 0, 0, 0.5f, 0.25f, -0.5f, -0.75f, 1, 0.125f}));
  EXPECT_EQ(bufferSize(mesh.vertexBuffer()), GLint64{36});
}

TEST_F(MeshTest, AnEmptyOrUnreadablePathLoadsNothingSilentlyButMakesTheBumpTarget) {
  for (const std::string& path : {std::string(), dir.file("Missing.obj")}) {
    Mesh mesh(path);
    EXPECT_FALSE(mesh.isLoaded()) << path;
    EXPECT_EQ(mesh.vertexBuffer(), 0u);
    EXPECT_EQ(mesh.path(), path);
    const render::RenderTarget& bump = mesh.defaultBumpTarget();
    EXPECT_EQ(bump.width(), 1);
    EXPECT_EQ(bump.multisampled(), 0);
    float texel[4] = {-1, -1, -1, -1};
    glBindTexture(GL_TEXTURE_2D, bump.colorTexture());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texel);
    EXPECT_EQ(std::vector<float>(texel, texel + 4), (std::vector<float>{0, 0, 0, 0}));
  }
  EXPECT_EQ(errors.messages(), Messages{});
}

TEST_F(MeshTest, ABufferThatDoesNotTakeItsDataIsReportedAndTheMeshIsNotDrawn) {
  const std::string model = writePlainModel();
  const std::string cloud = write("Cloud.obj", cloudObj);
  const auto program = flatProgram(1, 1, 1, 1);
  ASSERT_TRUE(program);
  struct Case {
    std::string path;
    int shortFill;
    const char* message;
  };
  for (const Case& c : {Case{model, 1, "Error generating VBO!"},
                        Case{model, 2, "Error generating VBO-index!"},
                        Case{cloud, 1, "Error generating VBO!"}}) {
    errors.clear();
    Mesh mesh;
    {
      ShortFill fill(c.shortFill);
      EXPECT_FALSE(mesh.load(c.path)) << c.message;
    }
    EXPECT_EQ(errors.messages(), Messages{c.message});
    EXPECT_FALSE(mesh.isLoaded());
    EXPECT_EQ(mesh.vertexBuffer(), 0u);
    EXPECT_EQ(mesh.indexBuffer(), 0u);
    EXPECT_EQ(integerState(GL_ARRAY_BUFFER_BINDING), 0);
    // Neither draw puts anything on screen or trips GL.
    mesh.draw();
    mesh.drawParticles();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << c.message;
    EXPECT_EQ(pixelAt(32, 32), (std::array<int, 4>{0, 0, 0, 255})) << c.message;
    // The same file loads once the buffers take their data.
    EXPECT_TRUE(mesh.load(c.path));
    EXPECT_TRUE(mesh.isLoaded());
  }
}

TEST_F(MeshTest, ALitQuadShowsItsDiffuseMap) {
  write("Quad.mtl", quadMtl);
  TextureRegistry textures;
  ASSERT_TRUE(textures.load(write("Checker.png", checkerPng()), "Checker.png"));
  Mesh mesh(write("Quad.obj", quadObj));
  ASSERT_TRUE(mesh.isLoaded());
  mesh.setTextureRegistry(textures);
  const auto program =
      test::buildProgram(dir, "lit", test::modelVertexSource, test::litTextureFragmentSource);
  ASSERT_TRUE(program);
  program->use();
  program->setInt("diffuseMap", 3);

  // Corners of the quad show the picture's quarters (its top row at the
  // top); a light at an angle dims them by the cosine. Linear filtering
  // with repeat wrapping mixes in a few percent of the neighbouring texels.
  const auto expectNear = [](std::array<int, 4> pixel, std::array<int, 4> expected,
                             const char* where) {
    for (int i = 0; i < 4; ++i) {
      EXPECT_NEAR(pixel[i], expected[i], 12) << where << " component " << i;
    }
  };
  program->setVec3("lightDirection", 0, 0, 1);
  mesh.draw();
  expectNear(pixelAt(16, 48), {255, 0, 0, 255}, "top left");
  expectNear(pixelAt(48, 48), {0, 255, 0, 255}, "top right");
  expectNear(pixelAt(16, 16), {0, 0, 255, 255}, "bottom left");
  expectNear(pixelAt(48, 16), {255, 255, 255, 255}, "bottom right");
  const int litRed = pixelAt(16, 48)[0];
  program->setVec3("lightDirection", 0, 0.6f, 0.8f);
  mesh.draw();
  EXPECT_NEAR(pixelAt(16, 48)[0], litRed * 0.8, 1.5);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshTest, DrawBindsTheTableForAMaterialWithoutMapsAndLeavesUnitZeroActiveAndNothingBound) {
  Mesh mesh(writePlainModel());
  ASSERT_TRUE(mesh.isLoaded());
  const auto program = flatProgram(1, 1, 1, 1);
  ASSERT_TRUE(program);
  // Something on units 6 and 7 beforehand, which the draw must replace,
  // and another unit active.
  GLuint stale = 0;
  glGenTextures(1, &stale);
  for (GLuint unit : {6u, 7u}) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, stale);
  }
  glActiveTexture(GL_TEXTURE5);
  mesh.draw();

  EXPECT_EQ(integerState(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
  EXPECT_EQ(integerState(GL_ARRAY_BUFFER_BINDING), 0);
  EXPECT_EQ(integerState(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);
  for (GLuint attribute : {0u, 1u, 2u}) {
    EXPECT_FALSE(attributeEnabled(attribute)) << "attribute " << attribute;
  }
  // Both faces were drawn: the whole view is white.
  EXPECT_EQ(pixelAt(1, 1), (std::array<int, 4>{255, 255, 255, 255}));
  EXPECT_EQ(pixelAt(62, 62), (std::array<int, 4>{255, 255, 255, 255}));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  // The last batch is the one with the "Plain" material.
  const Material& plain = mesh.materials()[0];
  EXPECT_EQ(textureOnUnit(1), plain.ambientSwatch().colorTexture());
  EXPECT_EQ(textureOnUnit(2), mesh.defaultBumpTarget().colorTexture());
  EXPECT_EQ(textureOnUnit(3), plain.diffuseSwatch().colorTexture());
  EXPECT_EQ(textureOnUnit(4), plain.emissiveSwatch().colorTexture());
  EXPECT_EQ(textureOnUnit(5), plain.specularSwatch().colorTexture());
  EXPECT_EQ(textureOnUnit(6), 0u);
  EXPECT_EQ(textureOnUnit(7), 0u);
  EXPECT_NE(plain.ambientSwatch().colorTexture(), plain.diffuseSwatch().colorTexture());
  glDeleteTextures(1, &stale);
}

TEST_F(MeshTest, FacesBeforeAnyUsemtlDrawWithAWhiteDiffuseSwatch) {
  Mesh mesh(writePlainModel());
  ASSERT_TRUE(mesh.isLoaded());
  const auto program =
      test::buildProgram(dir, "lit", test::modelVertexSource, test::litTextureFragmentSource);
  ASSERT_TRUE(program);
  program->use();
  program->setInt("diffuseMap", 3);
  program->setVec3("lightDirection", 0, 0, 1);
  mesh.draw();
  // Below the diagonal: the first face, default material; above: "Plain".
  EXPECT_EQ(pixelAt(48, 8), (std::array<int, 4>{255, 255, 255, 255}));
  const std::array<int, 4> plain = pixelAt(8, 48);
  EXPECT_NEAR(plain[0], 128, 1);
}

TEST_F(MeshTest, MapNamesAreLookedUpInTheRegistryOnEveryDraw) {
  write("Mapped.mtl",
        "newmtl Mapped\n"
        "map_Ka A.png\nmap_Bump Missing.png\nmap_Kd A.png\nmap_Ke B.png\n"
        "map_Ns B.png\nmap_Ks A.png\nmap_d B.png\n");
  const std::string obj = write("Mapped.obj",
                                "mtllib Mapped.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\n"
                                "usemtl Mapped\nf 1/1 2/1 3/1\n");
  TextureRegistry textures;
  ASSERT_TRUE(textures.load(write("A.png", solidPng(255, 0, 0)), "A.png"));
  ASSERT_TRUE(textures.load(write("B.png", solidPng(0, 0, 255)), "B.png"));
  const GLuint a = textures.find("A.png");
  const GLuint b = textures.find("B.png");
  const auto program = flatProgram(1, 1, 1, 1);
  ASSERT_TRUE(program);

  Mesh mesh(obj);
  ASSERT_TRUE(mesh.isLoaded());
  mesh.setTextureRegistry(textures);
  mesh.draw();
  EXPECT_EQ(textureOnUnit(1), a);
  EXPECT_EQ(textureOnUnit(2), 0u);  // named but not loaded
  EXPECT_EQ(textureOnUnit(3), a);
  EXPECT_EQ(textureOnUnit(4), b);
  EXPECT_EQ(textureOnUnit(5), b);
  EXPECT_EQ(textureOnUnit(6), a);
  EXPECT_EQ(textureOnUnit(7), b);

  // Re-pointing a name shows at the next draw.
  textures.setTexture("A.png", b);
  mesh.draw();
  EXPECT_EQ(textureOnUnit(1), b);
  EXPECT_EQ(textureOnUnit(3), b);

  // Without a registry every named map binds nothing.
  Mesh unregistered(obj);
  unregistered.draw();
  for (GLuint unit = 1; unit <= 7; ++unit) {
    EXPECT_EQ(textureOnUnit(unit), 0u) << "unit " << unit;
  }
}

// Lit pixels of row `y` of the view.
int litPixelsInRow(int y) {
  const std::vector<std::uint8_t> row = test::readPixels(0, y, 64, 1);
  int lit = 0;
  for (std::size_t i = 0; i < row.size(); i += 4) {
    lit += row[i] > 0 ? 1 : 0;
  }
  return lit;
}

TEST_F(MeshTest, APointCloudDrawsBlendedTenPixelPoints) {
  Mesh mesh(write("Cloud.obj", "v 0 0 0\n"));
  ASSERT_TRUE(mesh.isPointCloud());
  glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  const auto program = flatProgram(0.4f, 0.4f, 0.4f, 0.5f);
  ASSERT_TRUE(program);
  mesh.draw();
  // Source alpha, one: 0.2 + 0.4 * 0.5.
  EXPECT_NEAR(pixelAt(32, 32)[0], 102, 1);
  EXPECT_NEAR(pixelAt(0, 0)[0], 51, 1);
  EXPECT_EQ(floatState(GL_POINT_SIZE), pointCloudPointSize);
  EXPECT_FALSE(isEnabled(GL_BLEND));
  EXPECT_TRUE(attributeEnabled(0));
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  mesh.draw();
  EXPECT_EQ(litPixelsInRow(32), 10);
}

void expectBlendingOffAndDepthWritesOn() {
  EXPECT_FALSE(isEnabled(GL_BLEND));
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_EQ(depthWrites, GL_TRUE);
}

TEST_F(MeshTest, ParticlesAddUpWithoutWritingDepthAndLeaveBlendingOffAndDepthWritesOn) {
  // A point on a pixel centre, so its seven pixels are whole.
  Mesh mesh(write("Cloud.obj", "v 0.015625 0.015625 0\n"));
  ASSERT_TRUE(mesh.isLoaded());
  const auto program = flatProgram(0.25f, 0.25f, 0.25f, 0.1f);
  ASSERT_TRUE(program);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_BLEND);
  glDepthMask(GL_FALSE);

  mesh.drawParticles();
  expectBlendingOffAndDepthWritesOn();
  EXPECT_EQ(floatState(GL_POINT_SIZE), particlePointSize);
  EXPECT_NEAR(pixelAt(32, 32)[0], 64, 1);
  EXPECT_EQ(litPixelsInRow(32), 7);

  // The first draw left no depth behind, so the second passes the depth
  // test at the same depth and adds (one, one, whatever the alpha).
  mesh.drawParticles();
  EXPECT_NEAR(pixelAt(32, 32)[0], 128, 1);
  glDisable(GL_DEPTH_TEST);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshTest, ParticlesOfAMeshWithoutBufferDrawNothingButLeaveTheSameState) {
  Mesh mesh(dir.file("Missing.obj"));
  glEnable(GL_BLEND);
  glDepthMask(GL_FALSE);
  mesh.drawParticles();
  expectBlendingOffAndDepthWritesOn();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshTest, ClearEmptiesTheMeshAndLoadReadsItAgain) {
  const std::string path = writePlainModel();
  Mesh mesh(path);
  ASSERT_TRUE(mesh.isLoaded());
  mesh.clear();
  EXPECT_FALSE(mesh.isLoaded());
  EXPECT_EQ(mesh.vertexBuffer(), 0u);
  EXPECT_TRUE(mesh.materials().empty());
  EXPECT_TRUE(mesh.data().batches.empty());
  EXPECT_TRUE(mesh.load(path));
  EXPECT_EQ(mesh.data().indexData.size(), 6u);
  // A path that cannot be opened changes nothing but the path.
  EXPECT_FALSE(mesh.load(dir.file("Missing.obj")));
  EXPECT_TRUE(mesh.isLoaded());
  EXPECT_EQ(mesh.data().indexData.size(), 6u);
}

}  // namespace
}  // namespace tessaly::assets

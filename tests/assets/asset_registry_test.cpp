#include "assets/asset_registry.h"

#include "assets/mesh.h"
#include "assets/texture_registry.h"
#include "render/post_filter.h"
#include "tests/assets/model_drawing_support.h"
#include "tests/support/error_recorder.h"
#include "tests/support/filter_shaders.h"
#include "tests/support/jpeg_writer.h"
#include "tests/support/png_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tessaly::assets {
namespace {

using Messages = std::vector<std::string>;
using test::pixelAt;
using White = std::array<int, 4>;
constexpr White white{255, 255, 255, 255};
constexpr White black{0, 0, 0, 255};

std::string solidPng(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return test::encodePng(1, 1, {r, g, b, 255});
}

// A Maya scene with one point light at (x, 0, 0) (a light is complete at
// its first attribute other than colour and intensity).
std::string pointLightScene(int x) {
  return "//Maya ASCII 2008 scene\n"
         "createNode transform -n \"light\";\n"
         "\tsetAttr \".t\" -type \"double3\" " + std::to_string(x) + " 0 0 ;\n"
         "createNode pointLight -n \"lightShape\" -p \"light\";\n"
         "\tsetAttr \".in\" 2;\n"
         "\tsetAttr \".urs\" no;\n";
}

// A rectangle from x0 to x1 over the whole height of clip space.
std::string rectangleObj(float x0, float x1) {
  const std::string a = std::to_string(x0);
  const std::string b = std::to_string(x1);
  return "v " + a + " -1 0\nv " + b + " -1 0\nv " + b + " 1 0\nv " + a + " 1 0\n"
         "vn 0 0 1\nf 1//1 2//1 3//1 4//1\n";
}

class AssetRegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!context.ok()) {
      GTEST_SKIP() << "no OpenGL 3.3 core context (no display?)";
    }
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }

  std::string write(const std::string& relative, const std::string& bytes) const {
    return dir.write(relative, bytes);
  }

  test::GlContext context{64, 64};
  test::TempDir dir;
  test::ErrorRecorder errors;
  TextureRegistry rootTextures;
  TextureRegistry textures;
  AssetRegistry registry{rootTextures, textures};
};

TEST(ListAssets, ListsPicturesThenModelsThenMayaFilesWithTheirPathsAndKinds) {
  test::TempDir dir;
  for (const char* name : {"b.png", "a.jpg", "Z.JPG", "m.obj", "s.ma", "notes.txt", "c.mat"}) {
    dir.write(std::string("Data/Models/") + name, "x");
  }
  std::filesystem::create_directories(dir.path() / "Data/Models/folder.obj");
  const test::ScopedWorkingDirectory cwd(dir.path());
  AssetList list;
  list.names.push_back("earlier.png");
  list.paths.push_back("Data/earlier.png");
  list.kinds.push_back(AssetKind::image);
  listAssets(list, "Data/Models/");
  EXPECT_EQ(list.names, (std::vector<std::string>{"earlier.png", "Z.JPG", "a.jpg", "b.png",
                                                   "m.obj", "s.ma"}));
  EXPECT_EQ(list.paths,
            (std::vector<std::string>{"Data/earlier.png", "Data/Models/Z.JPG", "Data/Models/a.jpg",
                                      "Data/Models/b.png", "Data/Models/m.obj", "Data/Models/s.ma"}));
  EXPECT_EQ(list.kinds, (std::vector<AssetKind>{AssetKind::image, AssetKind::image,
                                                AssetKind::image, AssetKind::image,
                                                AssetKind::model, AssetKind::maya}));

  AssetList none;
  listAssets(none, "Data/Missing/");
  EXPECT_TRUE(none.names.empty());
  EXPECT_TRUE(none.paths.empty());
  EXPECT_TRUE(none.kinds.empty());
}

TEST(ListAssets, APathLongerThan259CharactersIsLeftOut) {
  test::TempDir dir;
  const std::string directory = dir.path().string() + "/";
  const std::size_t stem = maxPathLength - directory.size() - 4;
  const std::string fits = std::string(stem, 'f') + ".obj";
  const std::string tooLong = std::string(stem + 1, 'l') + ".obj";
  dir.write(fits, "");
  dir.write(tooLong, "");
  AssetList list;
  listAssets(list, directory);
  ASSERT_EQ(list.names, std::vector<std::string>{fits});
  EXPECT_EQ(list.paths[0].size(), maxPathLength);
}

TEST_F(AssetRegistryTest, FilesOfOneNameInTwoFoldersAreAllLoadedAndLookupsFindTheFirstListed) {
  write("Data/Textures/Same.png", solidPng(255, 0, 0));
  write("Data/Models/Same.png", solidPng(0, 0, 255));
  write("Data/Textures/Light.ma", pointLightScene(1));
  write("Data/Maya/Light.ma", pointLightScene(2));
  write("Data/Textures/Twin.obj", rectangleObj(-1, 0));
  write("Data/Models/Twin.obj", rectangleObj(0, 1));
  const test::ScopedWorkingDirectory cwd(dir.path());
  preloadAssets(registry, {});
  EXPECT_EQ(errors.messages(), Messages{});

  ASSERT_EQ(textures.entries().size(), 2u);
  EXPECT_EQ(textures.entries()[0].path(), "Data/Textures/Same.png");
  EXPECT_EQ(textures.find("Same.png"), textures.entries()[0].glName());
  EXPECT_EQ(registry.mayaScene().pointLights.size(), 2u);
  EXPECT_EQ(registry.mayaScene().lightPosition("Light.ma"), glm::vec3(1, 0, 0));
  ASSERT_EQ(registry.models().modelNames, (std::vector<std::string>{"Twin.obj", "Twin.obj"}));

  const auto program = test::buildProgram(dir, "flat", test::modelVertexSource,
                                          test::flatFragmentSource);
  ASSERT_TRUE(program);
  program->use();
  program->setVec4("color", 1, 1, 1, 1);
  // A name in another case draws nothing; the exact name draws both.
  registry.drawModel("twin.obj");
  registry.drawModel("Twin");
  EXPECT_EQ(pixelAt(16, 32), black);
  EXPECT_EQ(pixelAt(48, 32), black);
  registry.drawModel("Twin.obj");
  EXPECT_EQ(pixelAt(16, 32), white);
  EXPECT_EQ(pixelAt(48, 32), white);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(AssetRegistryTest, AJpegUnderModelsLandsInTextures) {
  std::filesystem::create_directories(dir.path() / "Data/Models");
  test::writeJpeg(dir.file("Data/Models/Photo.jpg"), 200, 100, 50);
  const test::ScopedWorkingDirectory cwd(dir.path());
  preloadAssets(registry, {});
  ASSERT_EQ(textures.entries().size(), 1u);
  EXPECT_EQ(textures.entries()[0].name(), "Photo.jpg");
  EXPECT_EQ(textures.entries()[0].path(), "Data/Models/Photo.jpg");
  EXPECT_NE(textures.find("Photo.jpg"), 0u);
  EXPECT_TRUE(registry.models().meshes.empty());
  EXPECT_EQ(rootTextures.entries().size(), 0u);
}

TEST_F(AssetRegistryTest, AModelThatCannotBeReadIsKeptButNeverDrawn) {
  write("Data/Models/Cloud.obj", "v 0 0 0\n");
  AssetList list;
  list.names = {"Gone.obj", "Cloud.obj"};
  list.paths = {"Data/Models/Gone.obj", "Data/Models/Cloud.obj"};
  list.kinds = {AssetKind::model, AssetKind::model};
  const test::ScopedWorkingDirectory cwd(dir.path());
  registry.load(list);
  ASSERT_EQ(registry.models().meshes.size(), 2u);
  EXPECT_EQ(registry.models().modelNames, list.names);
  const Mesh& gone = *registry.models().meshes[0];
  EXPECT_FALSE(gone.isLoaded());
  EXPECT_EQ(gone.path(), "Data/Models/Gone.obj");
  EXPECT_EQ(gone.textureRegistry(), &textures);
  EXPECT_TRUE(registry.models().meshes[1]->isLoaded());

  const auto program = test::buildProgram(dir, "flat", test::modelVertexSource,
                                          test::flatFragmentSource);
  ASSERT_TRUE(program);
  program->use();
  program->setVec4("color", 1, 1, 1, 1);
  registry.drawModel("Gone.obj");
  registry.drawParticles("Gone.obj");
  EXPECT_EQ(pixelAt(32, 32), black);
  registry.drawParticles("Cloud.obj");
  EXPECT_EQ(pixelAt(32, 32), white);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(errors.messages(), Messages{});
}

TEST_F(AssetRegistryTest, TheLoadingScreenIsShownOnceWithTheRootPicturesBeforeAnyFileLoads) {
  std::filesystem::create_directories(dir.path() / "Data");
  test::writeJpeg(dir.file("Data/Loading.jpg"), 0, 255, 0);
  std::filesystem::create_directories(dir.path() / "Data/Textures");
  test::writeJpeg(dir.file("Data/Textures/Other.jpg"), 255, 0, 0);
  const test::ScopedWorkingDirectory cwd(dir.path());
  rootTextures.scanDirectory("Data/");

  int shown = 0;
  preloadAssets(registry, [&](const TextureRegistry& root) {
    ++shown;
    EXPECT_EQ(&root, &rootTextures);
    EXPECT_NE(root.find("Loading.jpg"), 0u);
    EXPECT_TRUE(textures.entries().empty());  // nothing of the preload loaded yet
  });
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(errors.messages(), Messages{});
  EXPECT_EQ(textures.find("Loading.jpg"), 0u);  // the top level is not listed
  EXPECT_NE(textures.find("Other.jpg"), 0u);
}

// The production the build generates (build/Data) loads whole and quietly.
TEST_F(AssetRegistryTest, TheProductionPreloadsEveryModelWithItsBatchesAndNoMessage) {
  const std::filesystem::path production = TESSALY_BINARY_DIR;
  if (!std::filesystem::is_directory(production / "Data/Models")) {
    GTEST_SKIP() << "no production in " << production << " (make build generates it)";
  }
  const test::ScopedWorkingDirectory cwd(production);
  AssetList list;
  for (const char* directory : assetDirectories) {
    listAssets(list, directory);
  }
  preloadAssets(registry, {});
  EXPECT_EQ(errors.messages(), Messages{});

  std::size_t models = 0;
  std::size_t images = 0;
  for (const AssetKind kind : list.kinds) {
    models += kind == AssetKind::model ? 1 : 0;
    images += kind == AssetKind::image ? 1 : 0;
  }
  ASSERT_GT(models, 0u);
  EXPECT_EQ(registry.models().meshes.size(), models);
  EXPECT_EQ(textures.entries().size(), images);
  for (std::size_t i = 0; i < registry.models().meshes.size(); ++i) {
    const Mesh& mesh = *registry.models().meshes[i];
    const std::string& name = registry.models().modelNames[i];
    EXPECT_TRUE(mesh.isLoaded()) << name;
    EXPECT_EQ(mesh.data().droppedFaces, 0) << name;
    if (mesh.isPointCloud()) {
      EXPECT_GT(mesh.data().pointData.size(), 0u) << name;
      continue;
    }
    EXPECT_FALSE(mesh.data().batches.empty()) << name;
  }
  EXPECT_NE(registry.mayaScene().curvePoint("CamCurve.ma", 0.5f), glm::vec3(1, 1, 1));
}

}  // namespace
}  // namespace tessaly::assets

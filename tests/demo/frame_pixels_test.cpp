// Whole frames through the real asset registry, from a tiny production of
// the tests' own: a sky quad whose material shows "SkySphere.png", one
// flat-coloured model per scene at the centre of the view, a one-point
// particle cloud, and shaders that show a model's diffuse map. The pictures
// read back tell which scene ran and what the sky showed.
#include "demo/frame.h"

#include "app/demo_config.h"
#include "app/window.h"
#include "assets/asset_registry.h"
#include "assets/texture_registry.h"
#include "demo/demo_shaders.h"
#include "tests/demo/allocation_counter.h"
#include "tests/demo/frame_test_support.h"
#include "tests/support/demo_test_shaders.h"
#include "tests/support/error_recorder.h"
#include "tests/support/filter_shaders.h"
#include "tests/support/gl_context.h"
#include "tests/support/jpeg_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiny_models.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace tessaly::demo {
namespace {

constexpr int windowWidth = 64;
constexpr int windowHeight = 48;  // a 64x36 view from y = 6

class FramePixelsTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!context.ok()) {
      GTEST_SKIP() << "no OpenGL 3.3 core context (no display?)";
    }
    test::writeFilterShaders(dir.path());
    dir.write("Data/Shaders/Filters.frag", test::plainFilterFragmentSource);
    test::writeDemoTestShaders(dir.path());

    dir.write("Data/Textures/SkySphere.png", test::solidPng(255, 0, 0));
    test::writeJpeg(dir.file("Data/Textures/SkySphere2.jpg"), 0, 255, 0);
    dir.write("Data/Textures/SkySphere3.png", test::solidPng(0, 0, 255));
    // The sky: far behind everything and wider than the view.
    dir.write("Data/Models/SkySphere.obj", test::squareObj(200, -50, "SkySphere.mtl"));
    dir.write("Data/Models/SkySphere.mtl", "newmtl surface\nKd 1 1 1\nmap_Kd SkySphere.png\n");
    // One model per scene, all at the centre of the view.
    const std::pair<const char*, const char*> models[] = {
        {"Stang", "Kd 0 1 1"}, {"balleholder", "Kd 1 0 1"}, {"boxfanden", "Kd 1 1 1"}};
    for (const auto& [name, color] : models) {
      const std::string base = std::string("Data/Models/") + name;
      dir.write(base + ".obj", test::squareObj(1, -5, (std::string(name) + ".mtl").c_str()));
      dir.write(base + ".mtl", std::string("newmtl surface\n") + color + "\n");
    }
    // One particle at the centre.
    dir.write("Data/Models/Particles.obj", "v 1 1 -5\n");

    ASSERT_TRUE(test::prepareFrameDrawing(show, windowWidth, windowHeight));
    ASSERT_EQ(show.assets.models().meshes.size(), 5u);
    ASSERT_NE(show.textures.find("SkySphere2.jpg"), 0u);

    // From the fallback curve point (1, 1, 1) straight down -z.
    tracks.set(demo::camviewX, 1.0f);
    tracks.set(demo::camviewY, 1.0f);
    tracks.set(demo::camviewZ, -10.0f);
    errors.clear();
  }

  // The frame for a scene number, read back from the back buffer.
  void draw(float sceneNumber) {
    tracks.set(demo::sceneNum, sceneNumber);
    drawFrame(tracks.inputs, 1.0f, show.frameResources());
  }

  test::GlContext context{windowWidth, windowHeight};
  test::TempDir dir;
  test::ScopedWorkingDirectory workingDirectory{dir.path()};
  test::ErrorRecorder errors;
  app::Show show;
  test::ConstantTracks tracks;
};

using Rgb = std::array<int, 3>;

Rgb pixel(int x, int y) {
  const auto bytes = test::readPixels(x, y, 1, 1);
  return {bytes[0], bytes[1], bytes[2]};
}

// Each channel read as off (below 64) or on (above 192); JPEG and blending
// leave small errors. -1 for a channel in between.
Rgb level(Rgb rgb) {
  Rgb result{};
  for (int c = 0; c < 3; ++c) {
    result[c] = rgb[c] < 64 ? 0 : rgb[c] > 192 ? 1 : -1;
  }
  return result;
}

const Rgb red{1, 0, 0}, green{0, 1, 0}, blue{0, 0, 1}, yellow{1, 1, 0}, cyan{0, 1, 1},
    magenta{1, 0, 1}, white{1, 1, 1}, black{0, 0, 0};

TEST_F(FramePixelsTest, EachSceneShowsItsOwnModelsAndSkyAndScene1GetsItsSkyBack) {
  struct Expected {
    float scene;
    Rgb sky;     // a corner of the view
    Rgb centre;  // where every scene's model stands
  };
  const Expected sequence[] = {
      {1.0f, red, yellow},    // own sky; the particle added onto it
      {2.0f, green, cyan},    // "SkySphere2.jpg" through the distortion program; "Stang.obj"
      {3.0f, blue, magenta},  // "SkySphere3.png"; "balleholder.obj"
      {4.0f, blue, white},    // "SkySphere3.png"; "boxfanden.obj"
      {1.0f, red, yellow},    // the sky's own picture again
      {0.0f, black, black},   // no scene: a black frame
      {2.5f, black, black},
  };
  const GLuint ownSky = show.textures.find("SkySphere.png");
  for (const Expected& expected : sequence) {
    SCOPED_TRACE(expected.scene);
    draw(expected.scene);
    EXPECT_EQ(level(pixel(3, 9)), expected.sky) << testing::PrintToString(pixel(3, 9));
    EXPECT_EQ(level(pixel(60, 38)), expected.sky);
    EXPECT_EQ(level(pixel(32, 24)), expected.centre) << testing::PrintToString(pixel(32, 24));
    // The letterbox bars stay black.
    EXPECT_EQ(pixel(32, 2), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixel(32, 45), (Rgb{0, 0, 0}));
  }
  EXPECT_EQ(show.textures.find("SkySphere.png"), ownSky);
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(FramePixelsTest, TheFadeTrackFadesTheWholeScene) {
  tracks.set(demo::sceneAlpha, 0.5f);
  draw(3.0f);
  const Rgb centre = pixel(32, 24);
  // Magenta at half strength.
  EXPECT_NEAR(centre[0], 128, 2);
  EXPECT_EQ(centre[1], 0);
  EXPECT_NEAR(centre[2], 128, 2);
}

TEST_F(FramePixelsTest, AFrameThroughTheRegistryAllocatesNothing) {
  for (float scene : {1.0f, 2.0f, 3.0f, 4.0f, 0.0f}) {
    // Warm-up: the GL driver (llvmpipe's JIT) compiles shader variants for
    // the state it meets, allocating as it does, over the first frames.
    for (int i = 0; i < 3; ++i) {
      draw(scene);
    }
    const long before = test::allocationCount();
    drawFrame(tracks.inputs, 1.0f, show.frameResources());
    app::presentFrame();
    EXPECT_EQ(test::allocationCount() - before, 0) << "scene " << scene;
  }
}

}  // namespace
}  // namespace tessaly::demo

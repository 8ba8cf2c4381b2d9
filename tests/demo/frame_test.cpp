// The frame driver under a real GL context, with a stand-in for the asset
// registry that records every draw: which model, with which program, into
// which framebuffer, with which matrices, and what "SkySphere.png" stood for
// at that moment.
#include "demo/frame.h"

#include "app/demo_config.h"
#include "app/show.h"
#include "app/window.h"
#include "assets/maya_scene.h"
#include "assets/texture_registry.h"
#include "demo/demo_shaders.h"
#include "demo/frame_math.h"
#include "render/post_filter.h"
#include "tests/demo/allocation_counter.h"
#include "tests/demo/frame_test_support.h"
#include "tests/demo/presented_pixels.h"
#include "tests/support/demo_test_shaders.h"
#include "tests/support/error_recorder.h"
#include "tests/support/filter_shaders.h"
#include "tests/support/gl_context.h"
#include "tests/support/temp_dir.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <glm/gtc/type_ptr.hpp>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace tessaly::demo {
namespace {

using demo::TrackIndex;

struct Draw {
  std::string name;
  bool particles = false;
  GLint program = 0;
  GLint framebuffer = -1;
  glm::mat4 mvp{0.0f};
  glm::mat4 m{0.0f};
  glm::mat4 v{0.0f};
  GLuint skyTexture = 0;
};

glm::mat4 uniformMatrix(GLint program, const char* name) {
  glm::mat4 matrix(0.0f);
  const GLint location = glGetUniformLocation(static_cast<GLuint>(program), name);
  if (location != -1) {
    glGetUniformfv(static_cast<GLuint>(program), location, glm::value_ptr(matrix));
  }
  return matrix;
}

class RecordingAssets final : public SceneAssets {
 public:
  void drawModel(std::string_view name) override { record(name, false); }
  void drawParticles(std::string_view name) override { record(name, true); }
  assets::TextureRegistry& textures() override { return textures_; }
  const assets::MayaScene& mayaScene() override { return maya; }

  // A 1x1 texture of that colour under that name.
  GLuint addTexture(const std::string& name, std::array<std::uint8_t, 4> rgba) {
    assets::DecodedImage image;
    image.width = image.height = 1;
    image.pixels.assign(rgba.begin(), rgba.end());
    textures_.add(name, name, assets::DecodeStatus::decoded, image);
    return textures_.find(name);
  }

  std::vector<std::string> names() const {
    std::vector<std::string> result;
    for (const Draw& draw : draws) result.push_back(draw.name);
    return result;
  }

  assets::MayaScene maya;
  std::vector<Draw> draws;
  bool recording = true;

 private:
  void record(std::string_view name, bool particles) {
    if (!recording) {
      return;
    }
    Draw draw;
    draw.name = name;
    draw.particles = particles;
    glGetIntegerv(GL_CURRENT_PROGRAM, &draw.program);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw.framebuffer);
    draw.mvp = uniformMatrix(draw.program, "MVP");
    draw.m = uniformMatrix(draw.program, "M");
    draw.v = uniformMatrix(draw.program, "V");
    draw.skyTexture = textures_.find("SkySphere.png");
    draws.push_back(draw);
  }

  assets::TextureRegistry textures_;
};

std::vector<float> uniformFloats(GLuint program, const char* name, int count) {
  GLfloat values[16] = {};
  glGetUniformfv(program, glGetUniformLocation(program, name), values);
  return std::vector<float>(values, values + count);
}

std::vector<float> flat(const glm::mat4& matrix) {
  const float* values = glm::value_ptr(matrix);
  return std::vector<float>(values, values + 16);
}

std::array<int, 3> pixelAt(int x, int y) {
  const auto pixels = test::readPixels(x, y, 1, 1);
  return {pixels[0], pixels[1], pixels[2]};
}

constexpr int windowWidth = 64;
constexpr int windowHeight = 48;  // a 64x36 view from y = 6

class FrameTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!context.ok()) {
      GTEST_SKIP() << "no OpenGL 3.3 core context (no display?)";
    }
    test::writeFilterShaders(dir.path());
    test::writeDemoTestShaders(dir.path());
    ASSERT_TRUE(test::prepareFrameDrawing(show, windowWidth, windowHeight));

    ownSky = assets.addTexture("SkySphere.png", {255, 0, 0, 255});
    sky2 = assets.addTexture("SkySphere2.jpg", {0, 255, 0, 255});
    sky3 = assets.addTexture("SkySphere3.png", {0, 0, 255, 255});
    assets.addTexture("Tessaly.png", {200, 0, 0, 255});
    assets.addTexture("Pallon.png", {0, 200, 0, 255});
    assets.addTexture("Success.png", {0, 0, 200, 255});
    assets.addTexture("Next.png", {200, 200, 0, 255});
    // Each scene's curve lies elsewhere, so a wrong curve shows in "V".
    assets.maya.add(assets::readMayaText(test::curveText({0, 0, 20}), "Data/Maya/CamCurve.ma"));
    assets.maya.add(assets::readMayaText(test::curveText({0, 2, 22}), "Data/Maya/CamCurve2.ma"));
    assets.maya.add(assets::readMayaText(test::curveText({0, 4, 24}), "Data/Maya/CamCurve3.ma"));
    assets.maya.add(assets::readMayaText(test::curveText({0, 6, 26}), "Data/Maya/CamCurve4.ma"));
    errors.clear();
  }

  void loadLights() {
    assets.maya.add(assets::readMayaText(
        test::lightText("ambientLight", {0, 10, 0}, {0.25f, 0.5f, 0.75f}, 0.6f),
        "Data/Maya/AmbientLight.ma"));
    assets.maya.add(assets::readMayaText(
        test::lightText("pointLight", {1, 2, 3}, {1, 0.5f, 0.25f}, 2.5f), "Data/Maya/Light1.ma"));
    assets.maya.add(assets::readMayaText(
        test::lightText("pointLight", {-4, 5, -6}, {0.5f, 1, 0.5f}, 1.5f), "Data/Maya/Light2.ma"));
    assets.maya.add(
        assets::readMayaText(test::lightText("pointLight", {7, -8, 9}, {0.125f, 0.25f, 1}, 0.5f),
                             "Data/Maya/Light3.ma"));
  }

  // The camera the frame should have used for `scene`.
  Camera expectedCamera(int scene) const {
    const FrameTracks frameTracks = sampleFrameTracks(tracks.inputs);
    const glm::vec2 shake = cameraShake(frameTracks, tracks.inputs.spectrum, musicTime);
    const glm::vec3 point =
        assets.maya.curvePoint(cameraCurveName(scene), frameTracks.curveParameter);
    return buildCamera(cameraEye(point, shake), frameTracks);
  }

  GLint sceneFramebuffer() const {
    return static_cast<GLint>(show.filter->sceneTarget().framebuffer());
  }

  void drawScene(float sceneNumber) {
    tracks.set(demo::sceneNum, sceneNumber);
    assets.draws.clear();
    drawFrame(tracks.inputs, musicTime, resources(assets));
  }

  FrameResources resources(SceneAssets& sceneAssets) {
    return FrameResources{*show.filter, show.shaders, sceneAssets};
  }

  const DemoShaders& shaders() const { return show.shaders; }

  test::GlContext context{windowWidth, windowHeight};
  test::TempDir dir;
  test::ScopedWorkingDirectory workingDirectory{dir.path()};
  test::ErrorRecorder errors;
  app::Show show;
  RecordingAssets assets;
  test::ConstantTracks tracks;
  float musicTime = 0.25f;
  GLuint ownSky = 0;
  GLuint sky2 = 0;
  GLuint sky3 = 0;
};

TEST_F(FrameTest, SceneNumbersThatSelectNoSceneDrawNothingButPresentABlackFrame) {
  // The window shown, so the X server holds what each swap presents.
  ASSERT_TRUE(test::showWindowAndWait(context.window()));
  const render::PostFilter& filter = *show.filter;
  const std::array<int, 3> white = {255, 255, 255};
  const std::array<int, 3> black = {0, 0, 0};
  for (float number : {0.0f, 1.5f, 5.0f, 1.0001f, -1.0f}) {
    SCOPED_TRACE(number);
    // White on screen, red in the back buffer: black on screen afterwards
    // shows both the clear and the present.
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glfwSwapBuffers(context.window());
    ASSERT_EQ(test::presentedPixel(context.window(), 32, 24), white);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    // Post-processing parameters stay as they were.
    filter.filterProgram().use();
    filter.filterProgram().setVec2("offset", 0.25f, 0.5f);
    render::ShaderProgram::unuse();
    tracks.set(demo::overlayNum, 1.0f);
    tracks.set(demo::overlayAlpha, 1.0f);
    tracks.set(demo::sceneNum, number);
    assets.draws.clear();

    drawFrame(tracks.inputs, musicTime, resources(assets));
    app::presentFrame();

    EXPECT_TRUE(assets.draws.empty());
    // The whole window, the letterbox bars included.
    for (auto [x, y] : {std::pair{0, 0}, {32, 24}, {63, 47}}) {
      EXPECT_EQ(test::presentedPixel(context.window(), x, y), black) << x << "," << y;
    }
    EXPECT_EQ(uniformFloats(filter.filterProgram().program(), "offset", 2),
              (std::vector<float>{0.25f, 0.5f}));
  }
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(FrameTest, SceneTwoDrawsTheDistortedSkyStangAndSixGrindersIntoTheSceneTarget) {
  drawScene(2.0f);
  ASSERT_EQ(assets.names(),
            (std::vector<std::string>{"SkySphere.obj", "Stang.obj", "Grinder.obj", "Grinder.obj",
                                      "Grinder.obj", "Grinder.obj", "Grinder.obj", "Grinder.obj"}));
  const Camera camera = expectedCamera(2);
  const GLint distort = static_cast<GLint>(shaders().distortShader->program());
  const GLint model = static_cast<GLint>(shaders().modelShader->program());
  EXPECT_EQ(assets.draws[0].program, distort);
  for (std::size_t i = 1; i < assets.draws.size(); ++i) {
    EXPECT_EQ(assets.draws[i].program, model) << i;
  }
  for (std::size_t i = 0; i < assets.draws.size(); ++i) {
    const Draw& draw = assets.draws[i];
    SCOPED_TRACE(i);
    EXPECT_FALSE(draw.particles);
    EXPECT_EQ(draw.framebuffer, sceneFramebuffer());
    EXPECT_EQ(flat(draw.v), flat(camera.view));
    // "M" is the identity for every object, the grinders included.
    EXPECT_EQ(flat(draw.m), flat(glm::mat4(1.0f)));
    if (i < 2) {
      EXPECT_EQ(flat(draw.mvp), flat(camera.baseMvp));
    } else {
      EXPECT_EQ(flat(draw.mvp), flat(objectMvp(camera, grinderColumn[i - 2], musicTime)));
    }
  }
  // The sky showed the substitute and has its own picture back.
  EXPECT_EQ(assets.draws[0].skyTexture, sky2);
  EXPECT_EQ(assets.textures().find("SkySphere.png"), ownSky);

  // Scene 2's own uniforms on the distortion program.
  const GLuint program = shaders().distortShader->program();
  EXPECT_EQ(uniformFloats(program, "Time", 1), std::vector<float>{musicTime});
  const glm::vec2 wave = distortUniform(musicTime);
  EXPECT_EQ(uniformFloats(program, "Distort", 2), (std::vector<float>{wave.x, wave.y}));
  EXPECT_EQ(uniformFloats(program, "DistortSpeed", 2), (std::vector<float>{0.5f, 0.2f}));
  EXPECT_TRUE(errors.messages().empty());
}

TEST_F(FrameTest, GrinderAnglesAtAQuarterSecondShowInTheirMatrices) {
  musicTime = 0.25f;
  drawScene(2.0f);
  ASSERT_EQ(assets.draws.size(), 8u);
  const Camera camera = expectedCamera(2);
  const glm::mat4 toWorld = glm::inverse(camera.projectionView);
  for (int copy = 0; copy < 6; ++copy) {
    SCOPED_TRACE(copy + 1);
    // What the copy does to the point (1, 0, 0) in world space.
    const glm::mat4 world = toWorld * assets.draws[2 + copy].mvp;
    const glm::vec4 p = world * glm::vec4(1, 0, 0, 1);
    const float z = -1.4f * copy;
    if (copy % 2 == 0) {  // 90 degrees about +z
      EXPECT_NEAR(p.x / p.w, 0.0f, 1e-3f);
      EXPECT_NEAR(p.y / p.w, 1.0f, 1e-3f);
    } else {  // 45 degrees about -z
      EXPECT_NEAR(p.x / p.w, std::sqrt(0.5f), 1e-3f);
      EXPECT_NEAR(p.y / p.w, -std::sqrt(0.5f), 1e-3f);
    }
    EXPECT_NEAR(p.z / p.w, z, 1e-3f);
  }
}

TEST_F(FrameTest, SceneOneDrawsItsOwnSkyAndTheParticlesWithOnlyMvpAndTime) {
  // A scene 2 frame first: the substitute must not stay on the sky.
  drawScene(2.0f);
  musicTime = 3.5f;
  drawScene(1.0f);
  ASSERT_EQ(assets.names(), (std::vector<std::string>{"SkySphere.obj", "Particles.obj"}));
  const Camera camera = expectedCamera(1);
  const Draw& sky = assets.draws[0];
  EXPECT_EQ(sky.program, static_cast<GLint>(shaders().modelShader->program()));
  EXPECT_EQ(sky.skyTexture, ownSky);
  EXPECT_EQ(flat(sky.mvp), flat(camera.baseMvp));
  EXPECT_EQ(flat(sky.v), flat(camera.view));

  const Draw& particles = assets.draws[1];
  EXPECT_TRUE(particles.particles);
  EXPECT_EQ(particles.framebuffer, sceneFramebuffer());
  const GLuint lambert = shaders().lambertShader->program();
  EXPECT_EQ(particles.program, static_cast<GLint>(lambert));
  EXPECT_EQ(flat(particles.mvp), flat(camera.baseMvp));
  EXPECT_EQ(uniformFloats(lambert, "Time", 1), std::vector<float>{3.5f});
  // Everything else keeps its start-up value.
  EXPECT_EQ(uniformFloats(lambert, "Diffuse", 4), (std::vector<float>{1.0f, 0.4f, 0.4f, 1.0f}));
  EXPECT_EQ(uniformFloats(lambert, "Ambient", 4), (std::vector<float>{0.4f, 0.4f, 0.4f, 1.0f}));
  EXPECT_EQ(uniformFloats(lambert, "Distort", 2), (std::vector<float>{2.5f, 2.5f}));
  EXPECT_EQ(uniformFloats(lambert, "fvLightPosition", 3),
            (std::vector<float>{50.3f, 18.9f, 27.2f}));
}

TEST_F(FrameTest, SceneThreeMovesBalleknuserByMvpOnly) {
  musicTime = static_cast<float>(std::numbers::pi / 14.0);
  drawScene(3.0f);
  ASSERT_EQ(assets.names(),
            (std::vector<std::string>{"SkySphere.obj", "balleholder.obj", "baller.obj",
                                      "ballerom.obj", "balleknuser.obj"}));
  const Camera camera = expectedCamera(3);
  EXPECT_EQ(assets.draws[0].skyTexture, sky3);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(flat(assets.draws[i].mvp), flat(camera.baseMvp)) << i;
  }
  const Draw& moving = assets.draws[4];
  EXPECT_EQ(flat(moving.mvp), flat(objectMvp(camera, balleknuserMotion(musicTime), musicTime)));
  EXPECT_EQ(flat(moving.m), flat(glm::mat4(1.0f)));
  EXPECT_EQ(flat(moving.v), flat(camera.view));
  // At its lowest point: the origin goes to y = -4.7.
  const glm::vec4 origin = glm::inverse(camera.projectionView) * moving.mvp * glm::vec4(0, 0, 0, 1);
  EXPECT_NEAR(origin.y / origin.w, -4.7f, 1e-3f);
  for (const Draw& draw : assets.draws) {
    EXPECT_EQ(draw.program, static_cast<GLint>(shaders().modelShader->program()));
  }
  EXPECT_EQ(assets.textures().find("SkySphere.png"), ownSky);
}

TEST_F(FrameTest, SceneFourDrawsTheSkyWithTheThirdPictureAndTheBox) {
  drawScene(4.0f);
  ASSERT_EQ(assets.names(), (std::vector<std::string>{"SkySphere.obj", "boxfanden.obj"}));
  const Camera camera = expectedCamera(4);
  EXPECT_EQ(assets.draws[0].skyTexture, sky3);
  for (const Draw& draw : assets.draws) {
    EXPECT_EQ(flat(draw.mvp), flat(camera.baseMvp));
    EXPECT_EQ(flat(draw.v), flat(camera.view));
    EXPECT_EQ(draw.framebuffer, sceneFramebuffer());
  }
  EXPECT_EQ(assets.textures().find("SkySphere.png"), ownSky);
}

TEST_F(FrameTest, AMissingSubstituteLeavesTheSkyWithoutTextureForItsDrawOnly) {
  RecordingAssets bare;
  const GLuint own = bare.addTexture("SkySphere.png", {255, 0, 0, 255});
  tracks.set(demo::sceneNum, 2.0f);
  drawFrame(tracks.inputs, musicTime, resources(bare));
  ASSERT_FALSE(bare.draws.empty());
  EXPECT_EQ(bare.draws[0].skyTexture, 0u);
  EXPECT_EQ(bare.textures().find("SkySphere.png"), own);
}

TEST_F(FrameTest, LightingComesFromTheLightScenesAndTheEyeUniformIsTheTarget) {
  loadLights();
  tracks.set(demo::camviewX, 0.5f);
  tracks.set(demo::camviewY, -1.0f);
  tracks.set(demo::camviewZ, 2.0f);
  for (float scene : {1.0f, 2.0f, 3.0f, 4.0f}) {
    SCOPED_TRACE(scene);
    drawScene(scene);
    std::vector<GLuint> lit = {shaders().modelShader->program()};
    if (scene == 2.0f) lit.push_back(shaders().distortShader->program());
    for (GLuint program : lit) {
      EXPECT_EQ(uniformFloats(program, "Ambient", 4), (std::vector<float>{0.25f, 0.5f, 0.75f, 1}));
      EXPECT_EQ(uniformFloats(program, "LightColor1", 4), (std::vector<float>{1, 0.5f, 0.25f, 1}));
      EXPECT_EQ(uniformFloats(program, "LightColor2", 4), (std::vector<float>{0.5f, 1, 0.5f, 1}));
      EXPECT_EQ(uniformFloats(program, "LightColor3", 4),
                (std::vector<float>{0.125f, 0.25f, 1, 1}));
      EXPECT_EQ(uniformFloats(program, "LightIntensity1", 1), std::vector<float>{2.5f});
      EXPECT_EQ(uniformFloats(program, "LightIntensity2", 1), std::vector<float>{1.5f});
      EXPECT_EQ(uniformFloats(program, "LightIntensity3", 1), std::vector<float>{0.5f});
      EXPECT_EQ(uniformFloats(program, "fvLightPosition1", 3), (std::vector<float>{1, 2, 3}));
      EXPECT_EQ(uniformFloats(program, "fvLightPosition2", 3), (std::vector<float>{-4, 5, -6}));
      EXPECT_EQ(uniformFloats(program, "fvLightPosition3", 3), (std::vector<float>{7, -8, 9}));
      // The look-at target, not the camera position.
      EXPECT_EQ(uniformFloats(program, "fvEyePosition", 3), (std::vector<float>{0.5f, -1, 2}));
      EXPECT_EQ(uniformFloats(program, "diffuseMap", 1), std::vector<float>{3});
    }
  }
}

TEST_F(FrameTest, MissingLightsGiveTheNeutralValues) {
  drawScene(4.0f);
  const GLuint model = shaders().modelShader->program();
  EXPECT_EQ(uniformFloats(model, "Ambient", 4), (std::vector<float>{1, 1, 1, 1}));
  EXPECT_EQ(uniformFloats(model, "LightColor2", 4), (std::vector<float>{1, 1, 1, 1}));
  EXPECT_EQ(uniformFloats(model, "LightIntensity3", 1), std::vector<float>{1});
  EXPECT_EQ(uniformFloats(model, "fvLightPosition1", 3), (std::vector<float>{0, 0, 0}));
}

TEST_F(FrameTest, TheCameraFollowsTheCurveMovedByTheMusicShake) {
  for (std::size_t i = 0; i < tracks.inputs.spectrum.size(); ++i) {
    tracks.inputs.spectrum[i] = 0.001f * static_cast<float>(i);
  }
  tracks.set(demo::camShakeX, 2.0f);
  tracks.set(demo::camShakeMagX, 1.5f);
  tracks.set(demo::camShakeDatX, 100.0f);
  tracks.set(demo::camShakeY, 1.0f);
  tracks.set(demo::camShakeMagY, -3.0f);
  tracks.set(demo::camShakeDatY, 511.9f);
  tracks.set(demo::campathPos, 0.25f);
  tracks.set(demo::fov, 60.0f);
  tracks.set(demo::camRoll, 80.0f);
  drawScene(3.0f);
  ASSERT_FALSE(assets.draws.empty());
  const Camera camera = expectedCamera(3);
  // The shake moved the eye off the curve point.
  const glm::vec3 point = assets.maya.curvePoint("CamCurve3.ma", 0.25f);
  EXPECT_FLOAT_EQ(camera.eye.x, point.x + 0.1f * 2.0f * 1.5f);
  EXPECT_FLOAT_EQ(camera.eye.y, point.y + 0.511f * 1.0f * -3.0f);
  EXPECT_EQ(flat(assets.draws[0].v), flat(camera.view));
  EXPECT_EQ(flat(assets.draws[0].mvp), flat(camera.baseMvp));
}

TEST_F(FrameTest, OverlaysAppearOnlyForTheSceneThatListsThem) {
  // The scene faded out entirely: whatever shows is the overlay.
  tracks.set(demo::sceneAlpha, 0.0f);
  tracks.set(demo::overlayAlpha, 1.0f);
  const std::array<int, 3> black = {0, 0, 0};
  const std::array<std::array<int, 3>, 5> overlayColor = {
      black, std::array<int, 3>{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {200, 200, 0}};
  for (int scene = 1; scene <= 4; ++scene) {
    for (int overlay = 0; overlay <= 5; ++overlay) {
      SCOPED_TRACE(testing::Message() << "scene " << scene << ", overlay " << overlay);
      tracks.set(demo::overlayNum, static_cast<float>(overlay));
      drawScene(static_cast<float>(scene));
      const bool listed = (scene == 1 && (overlay == 1 || overlay == 2)) ||
                          (scene == 4 && (overlay == 3 || overlay == 4));
      EXPECT_EQ(pixelAt(32, 24), listed ? overlayColor[static_cast<std::size_t>(overlay)] : black);
    }
  }
}

TEST_F(FrameTest, TheGlowGetsTheFadeAndTheOffsetIsReset) {
  const render::PostFilter& filter = *show.filter;
  filter.filterProgram().use();
  filter.filterProgram().setVec2("offset", 0.25f, 0.5f);
  tracks.set(demo::sceneAlpha, 0.625f);
  tracks.set(demo::overlayNum, 0.0f);
  drawScene(3.0f);
  const GLuint program = filter.filterProgram().program();
  EXPECT_EQ(uniformFloats(program, "offset", 2), (std::vector<float>{0, 0}));
  // The last pass of the glow is the additive blur under the fade.
  EXPECT_EQ(uniformFloats(program, "alpha", 1), std::vector<float>{0.625f});
  GLint current = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  EXPECT_EQ(current, 0);
  GLint framebuffer = -1;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
  EXPECT_EQ(framebuffer, 0);
}

TEST_F(FrameTest, AFrameAllocatesNothing) {
  assets.recording = false;
  tracks.set(demo::overlayNum, 1.0f);
  for (float scene : {0.0f, 1.0f, 2.0f, 3.0f, 4.0f}) {
    tracks.set(demo::sceneNum, scene);
    drawFrame(tracks.inputs, musicTime, resources(assets));  // warm-up: the driver's own caches
    const long before = test::allocationCount();
    drawFrame(tracks.inputs, musicTime, resources(assets));
    app::presentFrame();
    EXPECT_EQ(test::allocationCount() - before, 0) << "scene " << scene;
  }
}

}  // namespace
}  // namespace tessaly::demo

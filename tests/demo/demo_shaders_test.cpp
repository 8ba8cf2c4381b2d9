#include "demo/demo_shaders.h"

#include "app/demo_config.h"
#include "tests/support/demo_test_shaders.h"
#include "tests/support/error_recorder.h"
#include "tests/support/gl_context.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly::demo {
namespace {

using render::ShaderProgram;

class DemoShadersTest : public testing::Test {
 protected:
  DemoShadersTest() {
    test::writeDemoTestShaders(dir.path());
  }

  void breakShader(const char* file) {
    dir.write(std::string("Data/Shaders/") + file + ".frag", test::brokenFragmentSource);
  }

  // Loads the set with the compilers' logs kept off the test output.
  bool load() {
    testing::internal::CaptureStderr();
    const bool loaded = loadDemoShaders(shaders, 1366, 768);
    testing::internal::GetCapturedStderr();
    return loaded;
  }

  test::GlContext context{16, 16};
  test::TempDir dir;
  test::ScopedWorkingDirectory workingDirectory{dir.path()};
  test::ErrorRecorder errors;
  DemoShaders shaders;
};

std::vector<float> floats(const ShaderProgram& program, const char* name, int count) {
  GLfloat values[16] = {};
  const GLint location = glGetUniformLocation(program.program(), name);
  EXPECT_NE(location, -1) << name;
  glGetUniformfv(program.program(), location, values);
  return std::vector<float>(values, values + count);
}

GLint integer(const ShaderProgram& program, const char* name) {
  GLint value = -1;
  const GLint location = glGetUniformLocation(program.program(), name);
  EXPECT_NE(location, -1) << name;
  glGetUniformiv(program.program(), location, &value);
  return value;
}

using V = std::vector<float>;

void expectLitModelDefaults(const ShaderProgram& program) {
  EXPECT_EQ(integer(program, "diffuseMap"), 3);
  EXPECT_EQ(integer(program, "bumpMap"), 2);
  EXPECT_EQ(floats(program, "Ambient", 4), (V{0.4f, 0.4f, 0.4f, 1.0f}));
  EXPECT_EQ(floats(program, "Diffuse", 4), (V{0.4f, 0.4f, 0.4f, 1.0f}));
  EXPECT_EQ(floats(program, "Specular", 4), (V{0.5f, 0.5f, 0.5f, 0.5f}));
  EXPECT_EQ(floats(program, "SpecularPower", 1), V{6.0f});
  EXPECT_EQ(floats(program, "fvEyePosition", 3), (V{0, 0, 0}));
  for (const char* color : {"LightColor1", "LightColor2", "LightColor3"}) {
    EXPECT_EQ(floats(program, color, 4), (V{0.2f, 0.2f, 0.3f, 1.0f})) << color;
  }
  for (const char* intensity : {"LightIntensity1", "LightIntensity2", "LightIntensity3"}) {
    EXPECT_EQ(floats(program, intensity, 1), V{2.5f}) << intensity;
  }
  for (const char* position : {"fvLightPosition1", "fvLightPosition2", "fvLightPosition3"}) {
    EXPECT_EQ(floats(program, position, 3), (V{50.3f, 18.9f, 27.2f})) << position;
  }
}

TEST_F(DemoShadersTest, BuildsAllSevenWithTheirStartUpValuesAndLeavesNoProgramCurrent) {
  TESSALY_REQUIRE_GL(context);
  ASSERT_TRUE(load());
  EXPECT_TRUE(errors.messages().empty());
  GLint current = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  EXPECT_EQ(current, 0);

  for (const ShaderProgram* program :
       {shaders.normalMapShader.get(), shaders.distortShader.get(), shaders.sineShader.get(),
        shaders.overlayShader.get(), shaders.modelShader.get(), shaders.lambertShader.get(),
        shaders.particleShader.get()}) {
    ASSERT_NE(program, nullptr);
    EXPECT_TRUE(program->isCompiled());
  }

  expectLitModelDefaults(*shaders.normalMapShader);
  expectLitModelDefaults(*shaders.modelShader);

  const ShaderProgram& distort = *shaders.distortShader;
  EXPECT_EQ(integer(distort, "diffuseMap"), 3);
  EXPECT_EQ(integer(distort, "bumpMap"), 2);
  EXPECT_EQ(floats(distort, "Ambient", 4), (V{0.4f, 0.4f, 0.4f, 1.0f}));
  EXPECT_EQ(floats(distort, "Diffuse", 4), (V{0.4f, 0.4f, 0.4f, 1.0f}));
  EXPECT_EQ(floats(distort, "Specular", 4), (V{0.5f, 0.5f, 0.5f, 0.5f}));
  EXPECT_EQ(floats(distort, "LightColor", 4), (V{0.2f, 0.2f, 0.3f, 1.0f}));
  EXPECT_EQ(floats(distort, "SpecularPower", 1), V{6.0f});
  EXPECT_EQ(floats(distort, "SpecularGain", 1), V{1.0f});
  EXPECT_EQ(floats(distort, "LightIntensity", 1), V{2.5f});
  EXPECT_EQ(floats(distort, "fvLightPosition", 3), (V{50.3f, 18.9f, 27.2f}));
  EXPECT_EQ(floats(distort, "DiffScroll", 1), V{2.0f});
  EXPECT_EQ(floats(distort, "BumpScroll", 1), V{2.0f});
  EXPECT_EQ(floats(distort, "Distort", 2), (V{2.5f, 2.5f}));
  EXPECT_EQ(floats(distort, "DistortSpeed", 2), (V{2.5f, 2.5f}));
  // The numbered lights are the frame's business: untouched at start-up.
  EXPECT_EQ(floats(distort, "LightColor1", 4), (V{0, 0, 0, 0}));

  // The window size of the configuration, width as x.
  EXPECT_EQ(floats(*shaders.sineShader, "resolution", 2), (V{1366.0f, 768.0f}));
  EXPECT_EQ(integer(*shaders.sineShader, "filterMap"), 0);
  EXPECT_EQ(integer(*shaders.overlayShader, "filterMap"), 0);

  const ShaderProgram& lambert = *shaders.lambertShader;
  EXPECT_EQ(integer(lambert, "diffuseMap"), 3);
  EXPECT_EQ(floats(lambert, "Ambient", 4), (V{0.4f, 0.4f, 0.4f, 1.0f}));
  EXPECT_EQ(floats(lambert, "Diffuse", 4), (V{1.0f, 0.4f, 0.4f, 1.0f}));
  EXPECT_EQ(floats(lambert, "fvLightPosition", 3), (V{50.3f, 18.9f, 27.2f}));
  EXPECT_EQ(floats(lambert, "Distort", 2), (V{2.5f, 2.5f}));
  EXPECT_EQ(floats(lambert, "DistortSpeed", 2), (V{2.5f, 2.5f}));

  EXPECT_EQ(integer(*shaders.particleShader, "diffuseMap"), 0);
}

TEST_F(DemoShadersTest, ABrokenFragmentShaderStopsTheSetWithItsProgramsMessage) {
  TESSALY_REQUIRE_GL(context);
  const std::pair<const char*, const char*> cases[] = {
      {"NormalMap", "Error compiling normalMapShader"},
      {"Distort", "Error compiling distortShader"},
      {"test", "Error compiling sineShader"},
      {"Overlay", "Error compiling overlayShader"},
      {"Model", "Error compiling modelShader"},
      {"Lambert", "Error compiling lambertShader"},
      // No frame draws with it, and still it ends start-up.
      {"Particles", "Error compiling particleShader"},
  };
  for (const auto& [file, message] : cases) {
    test::writeDemoTestShaders(dir.path());
    breakShader(file);
    errors.clear();
    EXPECT_FALSE(load()) << file;
    EXPECT_EQ(errors.messages(), std::vector<std::string>{message}) << file;
  }
}

TEST_F(DemoShadersTest, AllSevenAreBuiltInTheirOrderBeforeAnyIsChecked) {
  TESSALY_REQUIRE_GL(context);
  // Each compiler log names its file as the program is built, so with every
  // fragment shader broken the log lists the files in build order.
  const char* buildOrder[] = {"NormalMap", "Distort", "test", "Overlay",
                              "Model",     "Lambert", "Particles"};
  for (const char* file : buildOrder) {
    breakShader(file);
  }
  testing::internal::CaptureStderr();
  EXPECT_FALSE(loadDemoShaders(shaders, 1366, 768));
  const std::string log = testing::internal::GetCapturedStderr();
  std::size_t previous = 0;
  for (const char* file : buildOrder) {
    const std::size_t at = log.find(std::string("Data/Shaders/") + file + ".frag");
    ASSERT_NE(at, std::string::npos) << file << " is missing from the log:\n" << log;
    EXPECT_GE(at, previous) << file << " was built out of order:\n" << log;
    previous = at;
  }
  EXPECT_EQ(errors.messages(), std::vector<std::string>{"Error compiling normalMapShader"});
}

TEST_F(DemoShadersTest, OnlyTheFirstFailureInCheckOrderIsReported) {
  TESSALY_REQUIRE_GL(context);
  // sineShader is built before modelShader but checked after it.
  breakShader("test");
  breakShader("Model");
  EXPECT_FALSE(load());
  EXPECT_EQ(errors.messages(), std::vector<std::string>{"Error compiling modelShader"});

  // overlayShader is checked before lambertShader and particleShader.
  test::writeDemoTestShaders(dir.path());
  breakShader("Particles");
  breakShader("Overlay");
  errors.clear();
  EXPECT_FALSE(load());
  EXPECT_EQ(errors.messages(), std::vector<std::string>{"Error compiling overlayShader"});
}

TEST_F(DemoShadersTest, AVertexShaderOrLinkFailureIsReportedToo) {
  TESSALY_REQUIRE_GL(context);
  dir.write("Data/Shaders/Lambert.vert",
            "#version 330 core\nvoid main() { gl_Position = nope; }\n");
  EXPECT_FALSE(load());
  EXPECT_EQ(errors.messages(), std::vector<std::string>{"Error compiling lambertShader"});
}

}  // namespace
}  // namespace tessaly::demo

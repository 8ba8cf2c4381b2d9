// The production's GLSL pairs compile and link under a 3.3 core context,
// declare their inputs at the fixed locations (0 position, 1 texture
// coordinate, 2 normal), read only uniforms the player sets, and do what
// the player relies on: filter 0 draws the picture under "alpha", "offset"
// shifts it, filter 1 blurs along "filterVec2" only, and the model program
// lights what faces a light.
#include "render/gl.h"
#include "tests/support/gl_context.h"
#include "tests/support/shader_passes.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tessaly::test {
namespace {

struct Built {
  GLuint program = 0;
  bool ok = false;
  std::string log;
};

GLuint compile(GLenum kind, const std::string& source, bool& ok, std::string& log) {
  const GLuint shader = glCreateShader(kind);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint status = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
  char buffer[4096] = {0};
  glGetShaderInfoLog(shader, sizeof buffer, nullptr, buffer);
  log += buffer;
  ok = ok && status == GL_TRUE;
  return shader;
}

Built build(const std::string& name) {
  const std::string dir = TESSALY_SHADER_DIR;
  const std::string vertex = readFile(dir + "/" + name + ".vert");
  const std::string fragment = readFile(dir + "/" + name + ".frag");
  Built built;
  built.ok = !vertex.empty() && !fragment.empty();
  const GLuint v = compile(GL_VERTEX_SHADER, vertex, built.ok, built.log);
  const GLuint f = compile(GL_FRAGMENT_SHADER, fragment, built.ok, built.log);
  built.program = glCreateProgram();
  glAttachShader(built.program, v);
  glAttachShader(built.program, f);
  glLinkProgram(built.program);
  GLint linked = GL_FALSE;
  glGetProgramiv(built.program, GL_LINK_STATUS, &linked);
  char buffer[4096] = {0};
  glGetProgramInfoLog(built.program, sizeof buffer, nullptr, buffer);
  built.log += buffer;
  built.ok = built.ok && linked == GL_TRUE;
  return built;
}

std::set<std::string> activeUniforms(GLuint program) {
  std::set<std::string> names;
  GLint count = 0;
  glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
  for (GLint i = 0; i < count; ++i) {
    char name[256];
    GLint size = 0;
    GLenum type = 0;
    glGetActiveUniform(program, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type, name);
    names.insert(name);
  }
  return names;
}

const char* const pairs[] = {"Filters", "Bokeh",   "NormalMap", "Distort",  "test",
                             "Overlay", "Model",   "Lambert",   "Particles"};

TEST(ContentShaders, EveryPairLinksWithItsInputsAtTheFixedLocations) {
  GlContext context;
  TESSALY_REQUIRE_GL(context);
  for (const char* name : pairs) {
    SCOPED_TRACE(name);
    const Built built = build(name);
    ASSERT_TRUE(built.ok) << built.log;
    GLint count = 0;
    glGetProgramiv(built.program, GL_ACTIVE_ATTRIBUTES, &count);
    ASSERT_GT(count, 0);
    for (GLint i = 0; i < count; ++i) {
      char attribute[256];
      GLint size = 0;
      GLenum type = 0;
      glGetActiveAttrib(built.program, static_cast<GLuint>(i), sizeof attribute, nullptr, &size,
                        &type, attribute);
      if (std::string(attribute).rfind("gl_", 0) == 0) {
        continue;  // built-in inputs such as gl_VertexID
      }
      const GLint location = glGetAttribLocation(built.program, attribute);
      const std::map<GLint, GLenum> expected = {
          {0, GL_FLOAT_VEC3}, {1, GL_FLOAT_VEC2}, {2, GL_FLOAT_VEC3}};
      ASSERT_EQ(expected.count(location), 1u) << attribute << " at " << location;
      EXPECT_EQ(type, expected.at(location)) << attribute;
    }
  }
}

TEST(ContentShaders, DrawnProgramsReadOnlyUniformsThePlayerSets) {
  GlContext context;
  TESSALY_REQUIRE_GL(context);
  const std::set<std::string> lights = {
      "Ambient",          "LightColor1",      "LightColor2",      "LightColor3",
      "LightIntensity1",  "LightIntensity2",  "LightIntensity3",  "fvLightPosition1",
      "fvLightPosition2", "fvLightPosition3", "fvEyePosition",    "MVP",
      "M",                "V",                "diffuseMap",       "bumpMap"};
  struct Case {
    const char* name;
    std::set<std::string> set;       // what the player sets on the program
    std::set<std::string> required;  // what the shader must read
  };
  std::set<std::string> model = lights;
  model.insert({"Diffuse", "Specular", "SpecularPower"});
  std::set<std::string> distort = lights;
  distort.insert({"Diffuse", "Specular", "SpecularPower", "SpecularGain", "LightColor",
                  "LightIntensity", "fvLightPosition", "DiffScroll", "BumpScroll", "Distort",
                  "DistortSpeed", "Time"});
  const Case cases[] = {
      {"Filters",
       {"filterNumber", "filterMap", "colorLine", "colorValue1", "colorValue2", "alpha",
        "filterVec2", "offset"},
       {"filterNumber", "filterMap", "alpha", "filterVec2", "offset"}},
      {"Model", model,
       {"MVP", "diffuseMap", "bumpMap", "Ambient", "LightColor1", "LightIntensity3",
        "fvLightPosition2", "fvEyePosition"}},
      {"Distort", distort, {"MVP", "diffuseMap", "Time", "Distort", "DistortSpeed", "Ambient"}},
      {"Lambert",
       {"diffuseMap", "Ambient", "Diffuse", "fvLightPosition", "Distort", "DistortSpeed", "MVP",
        "Time"},
       {"MVP", "Time"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Built built = build(c.name);
    ASSERT_TRUE(built.ok) << built.log;
    const std::set<std::string> active = activeUniforms(built.program);
    for (const std::string& name : active) {
      EXPECT_EQ(c.set.count(name), 1u) << name << " is never set by the player";
    }
    for (const std::string& name : c.required) {
      EXPECT_EQ(active.count(name), 1u) << name << " is not read";
    }
  }
}

// A full-screen quad as the post-processing filter draws it: x, y, z, u, v.
void drawQuad() {
  const float quad[] = {-1, -1, 0, 0, 0, 1, -1, 0, 1, 0, 1, 1, 0, 1, 1,
                        -1, -1, 0, 0, 0, 1, 1,  0, 1, 1, -1, 1, 0, 0, 1};
  GLuint buffer = 0;
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 20, nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 20, reinterpret_cast<void*>(12));
  glDrawArrays(GL_TRIANGLES, 0, 6);
  glDisableVertexAttribArray(0);
  glDisableVertexAttribArray(1);
  glDeleteBuffers(1, &buffer);
}

GLuint texture(int width, int height, const std::vector<std::uint8_t>& rgba, GLint unit) {
  GLuint name = 0;
  glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               rgba.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glActiveTexture(GL_TEXTURE0);
  return name;
}

std::vector<std::uint8_t> pixel(int x, int y) { return readPixels(x, y, 1, 1); }

// Makes the filter program current with its picture on unit 0 and no offset.
void useFilters(GLuint program) {
  glUseProgram(program);
  glUniform1i(glGetUniformLocation(program, "filterMap"), 0);
  glUniform2f(glGetUniformLocation(program, "offset"), 0.0f, 0.0f);
  glClearColor(0, 0, 0, 0);
}

TEST(ContentShaders, FilterZeroDrawsThePictureUnderAlphaAndOffsetShiftsIt) {
  GlContext context(64, 64);
  TESSALY_REQUIRE_GL(context);
  const Built filters = build("Filters");
  ASSERT_TRUE(filters.ok) << filters.log;
  useFilters(filters.program);
  // Bottom-left red, bottom-right green, top-left blue, top-right grey at
  // half alpha.
  texture(2, 2, {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 128, 128, 128, 128}, 0);
  glUniform1i(glGetUniformLocation(filters.program, "filterNumber"), 0);
  glUniform1f(glGetUniformLocation(filters.program, "alpha"), 0.5f);
  glClear(GL_COLOR_BUFFER_BIT);
  drawQuad();
  EXPECT_EQ(pixel(16, 16), (std::vector<std::uint8_t>{255, 0, 0, 128}));
  EXPECT_EQ(pixel(48, 16), (std::vector<std::uint8_t>{0, 255, 0, 128}));
  EXPECT_EQ(pixel(16, 48), (std::vector<std::uint8_t>{0, 0, 255, 128}));
  EXPECT_EQ(pixel(48, 48), (std::vector<std::uint8_t>{128, 128, 128, 64}));

  // An offset of 1 (clip units) moves the picture half the view right.
  glUniform2f(glGetUniformLocation(filters.program, "offset"), 1.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  drawQuad();
  EXPECT_EQ(pixel(16, 16), (std::vector<std::uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(pixel(48, 16), (std::vector<std::uint8_t>{255, 0, 0, 128}));
}

// An opaque 64 x 64 picture whose column x has the grey grey(x).
template <typename Grey>
std::vector<std::uint8_t> greyColumns(Grey grey) {
  std::vector<std::uint8_t> rgba(64 * 64 * 4, 255);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      std::uint8_t* p = &rgba[static_cast<std::size_t>(y * 64 + x) * 4];
      p[0] = p[1] = p[2] = static_cast<std::uint8_t>(grey(x));
    }
  }
  return rgba;
}

TEST(ContentShaders, FilterOneBlursAlongFilterVec2Only) {
  GlContext context(64, 64);
  TESSALY_REQUIRE_GL(context);
  const Built filters = build("Filters");
  ASSERT_TRUE(filters.ok) << filters.log;
  useFilters(filters.program);
  // A white vertical line one texel wide at column 32, opaque everywhere.
  texture(64, 64, greyColumns([](int x) { return x == 32 ? 255 : 0; }), 0);
  glUniform1i(glGetUniformLocation(filters.program, "filterNumber"), 1);

  glUniform2f(glGetUniformLocation(filters.program, "filterVec2"), 1.0f / 64.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  drawQuad();
  const std::vector<std::uint8_t> across = readPixels(0, 20, 64, 1);
  EXPECT_GT(across[34 * 4], 10) << "two texels beside the line";
  EXPECT_GT(across[32 * 4], across[34 * 4]) << "brightest on the line";
  EXPECT_EQ(across[20 * 4], 0) << "beyond the blur's reach";
  EXPECT_NEAR(across[20 * 4 + 3], 166, 1) << "each pass keeps 0.65 of the alpha";

  glUniform2f(glGetUniformLocation(filters.program, "filterVec2"), 0.0f, 1.0f / 64.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  drawQuad();
  const std::vector<std::uint8_t> along = readPixels(0, 20, 64, 1);
  EXPECT_EQ(along[34 * 4], 0) << "a blur along y leaves the columns apart";
  EXPECT_GE(along[32 * 4], 253);
}

TEST(ContentShaders, TheGlowsFirstPassKeepsOnlyTheBrightPartOfThePicture) {
  GlContext context(64, 64);
  TESSALY_REQUIRE_GL(context);
  const Built filters = build("Filters");
  ASSERT_TRUE(filters.ok) << filters.log;
  useFilters(filters.program);
  // Left half mid grey, right half white: the pass along y (the glow's
  // first, on the scene picture) drops the grey and keeps the white; the
  // pass along x blurs whatever it is given.
  texture(64, 64, greyColumns([](int x) { return x < 32 ? 96 : 255; }), 0);
  glUniform1i(glGetUniformLocation(filters.program, "filterNumber"), 1);
  glUniform2f(glGetUniformLocation(filters.program, "filterVec2"), 0.0f, 1.0f / 64.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  drawQuad();
  EXPECT_EQ(pixel(10, 32)[0], 0) << "mid grey does not glow";
  EXPECT_GE(pixel(50, 32)[0], 253) << "white glows in full";
  glUniform2f(glGetUniformLocation(filters.program, "filterVec2"), 1.0f / 64.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  drawQuad();
  EXPECT_NEAR(pixel(10, 32)[0], 96, 1) << "the second pass keeps every tone";
}

// The model program, current, with a white light at `light` and a quad
// across the view at z = 0 facing +z ready to draw; the colour map and the
// bump map are single texels on units 3 and 2.
class ModelQuad {
 public:
  explicit ModelQuad(const Built& model) : program_(model.program) {
    glUseProgram(program_);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    glUniformMatrix4fv(uniform("MVP"), 1, GL_FALSE, identity);
    glUniformMatrix4fv(uniform("M"), 1, GL_FALSE, identity);
    setView(0.0f);
    glUniform1i(uniform("diffuseMap"), 3);
    glUniform1i(uniform("bumpMap"), 2);
    glUniform4f(uniform("Ambient"), 0.2f, 0.2f, 0.2f, 1.0f);
    glUniform4f(uniform("Specular"), 0.5f, 0.5f, 0.5f, 0.5f);
    glUniform1f(uniform("SpecularPower"), 6.0f);
    glUniform3f(uniform("fvEyePosition"), 0.0f, 0.0f, 5.0f);
    glUniform4f(uniform("LightColor1"), 1.0f, 1.0f, 1.0f, 1.0f);
    glUniform1f(uniform("LightIntensity1"), 0.5f);
    glUniform1f(uniform("LightIntensity2"), 0.0f);
    glUniform1f(uniform("LightIntensity3"), 0.0f);
    // x, y, z, u, v, normal.
    const float quad[] = {-1, -1, 0, 0, 0, 0, 0, 1, 1,  -1, 0, 1, 0, 0, 0, 1,
                          1,  1,  0, 1, 1, 0, 0, 1, -1, -1, 0, 0, 0, 0, 0, 1,
                          1,  1,  0, 1, 1, 0, 0, 1, -1, 1,  0, 0, 1, 0, 0, 1};
    glGenBuffers(1, &buffer_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
    for (GLuint a = 0; a < 3; ++a) {
      glEnableVertexAttribArray(a);
    }
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 32, nullptr);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<void*>(12));
    glVertexAttribPointer(2, 3, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<void*>(20));
  }
  ~ModelQuad() { glDeleteBuffers(1, &buffer_); }

  GLint uniform(const char* name) const { return glGetUniformLocation(program_, name); }
  // "V" of a camera at (0, 0, z) looking down -z.
  void setView(float z) const {
    const float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -z, 1};
    glUniformMatrix4fv(uniform("V"), 1, GL_FALSE, view);
  }
  void setMaps(std::vector<std::uint8_t> colour, std::vector<std::uint8_t> bump) const {
    texture(1, 1, colour, 3);
    texture(1, 1, bump, 2);
  }
  // The centre pixel with the light at (0, 0, lightZ).
  std::vector<std::uint8_t> centre(float lightZ) const {
    glUniform3f(uniform("fvLightPosition1"), 0.0f, 0.0f, lightZ);
    glClear(GL_COLOR_BUFFER_BIT);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    return pixel(16, 16);
  }

 private:
  GLuint program_;
  GLuint buffer_ = 0;
};

TEST(ContentShaders, TheModelProgramLightsWhatFacesALight) {
  GlContext context(32, 32);
  TESSALY_REQUIRE_GL(context);
  const Built model = build("Model");
  ASSERT_TRUE(model.ok) << model.log;
  const ModelQuad quad(model);
  // A white colour map and the transparent black texel the player binds
  // when a material has no bump map: dull, no highlight.
  quad.setMaps({255, 255, 255, 255}, {0, 0, 0, 0});
  // In front at distance 10: ambient plus the light, a little faded.
  const int lit = quad.centre(10.0f)[0];
  EXPECT_NEAR(lit, static_cast<int>((0.2f + 0.5f / (1.0f + 0.0625f)) * 255.0f), 3);
  // Behind: the ambient alone.
  EXPECT_NEAR(quad.centre(-10.0f)[0], 51, 1);
}

TEST(ContentShaders, TheModelProgramsHighlightsAreSeenFromTheCameraInV) {
  GlContext context(32, 32);
  TESSALY_REQUIRE_GL(context);
  const Built model = build("Model");
  ASSERT_TRUE(model.ok) << model.log;
  const ModelQuad quad(model);
  // A mid-grey colour, flat, glossy paint: the light straight in front
  // mirrors into a camera straight in front, not into one far to the side.
  quad.setMaps({128, 128, 128, 255}, {0, 0, 255, 255});
  quad.setView(10.0f);
  const int facing = quad.centre(10.0f)[0];
  quad.setView(0.0f);
  const int dull = quad.centre(10.0f)[0];
  EXPECT_GT(facing, dull + 60) << "a highlight for the camera in front";

  // Bare metal: a dim diffuse colour and highlights in the metal's colour.
  quad.setMaps({255, 64, 64, 255}, {0, 255, 255, 255});
  quad.setView(10.0f);
  const std::vector<std::uint8_t> metal = quad.centre(10.0f);
  EXPECT_GT(metal[0], 200);
  EXPECT_LT(metal[1], metal[0] / 2) << "the highlight takes the metal's colour";
  quad.setMaps({255, 64, 64, 255}, {0, 255, 255, 0});
  EXPECT_LT(quad.centre(10.0f)[0], metal[0] - 60) << "without gloss, no highlight";
}

// The shaders were rewritten to cost less on a software rasteriser without
// changing the look; the files as they were are kept in
// bench/render/literal_shaders/. Every drawn pass, and filters 2 and 7, on
// the same inputs: the pixels of both versions agree to well under one
// 8-bit level. Each of these fails it: the glow's share 0.65 -> 0.6 (13
// levels), one blur weight off by 0.001 (0.6 levels at most), the sheen's
// sixth power made a seventh (0.8 levels at most, and the mean).
TEST(ContentShaders, TheCheaperShadersDrawWhatTheFilesBeforeThemDrew) {
  GlContext context(64, 64);
  TESSALY_REQUIRE_GL(context);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  PassPrograms before = buildPassPrograms(TESSALY_LITERAL_SHADER_DIR);
  PassPrograms after = buildPassPrograms(TESSALY_SHADER_DIR);
  ASSERT_TRUE(before.ok()) << before.log;
  ASSERT_TRUE(after.ok()) << after.log;
  // An odd size: the half-size targets round down, as the player's do.
  const ShaderPassScene scene(321, 181);
  ASSERT_TRUE(scene.ok());
  for (const ShaderPassInfo& info : shaderPasses()) {
    SCOPED_TRACE(info.name);
    int width = 0;
    int height = 0;
    scene.draw(info.pass, before);
    const std::vector<float> expected = scene.read(info.pass, width, height);
    scene.draw(info.pass, after);
    const std::vector<float> drawn = scene.read(info.pass, width, height);
    ASSERT_EQ(drawn.size(), expected.size());
    double largest = 0.0;
    double total = 0.0;
    double lit = 0.0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
      ASSERT_FALSE(std::isnan(drawn[i])) << "at " << i;
      const double difference = std::fabs(static_cast<double>(drawn[i]) - expected[i]);
      largest = std::max(largest, difference);
      total += difference;
      lit += std::fabs(expected[i]);
    }
    const double mean = total / static_cast<double>(drawn.size());
    EXPECT_GT(lit / static_cast<double>(drawn.size()), 0.01) << "the pass drew nothing";
    EXPECT_LT(largest, 0.5 / 255.0) << "mean difference " << mean;
    EXPECT_LT(mean, 0.02 / 255.0) << "largest difference " << largest;
  }
  releasePassPrograms(before);
  releasePassPrograms(after);
}

}  // namespace
}  // namespace tessaly::test

#include "render/shader_program.h"

#include "tests/support/gl_context.h"
#include "tests/support/temp_dir.h"

#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace tessaly::render {
namespace {

constexpr const char* vertexSource = R"(#version 330 core
layout(location = 0) in vec3 position;
uniform mat4 transform;
uniform vec2 shift;
void main() { gl_Position = transform * vec4(position.xy + shift, position.z, 1.0); }
)";

constexpr const char* fragmentSource = R"(#version 330 core
out vec4 fragColor;
uniform int count;
uniform float gain;
uniform vec3 tint;
uniform vec4 base;
void main() { fragColor = base * gain + vec4(tint, float(count)); }
)";

class ShaderProgramTest : public testing::Test {
 protected:
  test::GlContext context{16, 16};
  test::TempDir dir;

  // Builds a program from the two sources written under dir.
  std::unique_ptr<ShaderProgram> build(const std::string& vertex, const std::string& fragment) {
    const std::string vertexPath = dir.write("test.vert", vertex);
    const std::string fragmentPath = dir.write("test.frag", fragment);
    return std::make_unique<ShaderProgram>(vertexPath.c_str(), fragmentPath.c_str());
  }
};

TEST_F(ShaderProgramTest, AValidPairCompilesLinksAndBecomesCurrent) {
  TESSALY_REQUIRE_GL(context);
  const auto program = build(vertexSource, fragmentSource);
  EXPECT_TRUE(program->isCompiled());
  ASSERT_NE(program->program(), 0u);
  program->use();
  GLint current = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  EXPECT_EQ(static_cast<GLuint>(current), program->program());
  ShaderProgram::unuse();
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  EXPECT_EQ(current, 0);
}

TEST_F(ShaderProgramTest, EveryKindOfFailureReportsNotCompiledWithItsLogOnStderr) {
  TESSALY_REQUIRE_GL(context);
  struct Case {
    const char* what;
    std::string vertex, fragment;
    const char* logNames;  // the file name the stderr log must carry
  };
  const Case cases[] = {
      {"empty fragment file", vertexSource, "", "test.frag"},
      {"broken vertex shader", "#version 330 core\nvoid main() { nonsense; }\n", fragmentSource,
       "test.vert"},
      // Both compile, but the vertex shader has no main: the link fails.
      {"failed link", "#version 330 core\nvoid helper() {}\n", fragmentSource, "test.vert + "},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    const auto program = build(c.vertex, c.fragment);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(program->isCompiled()) << c.what;
    EXPECT_NE(log.find(c.logNames), std::string::npos) << c.what << ": " << log;
  }
}

TEST_F(ShaderProgramTest, WindowsLineEndsCompileFromTheBytesOnDisk) {
  TESSALY_REQUIRE_GL(context);
  std::string vertex = vertexSource, fragment = fragmentSource;
  for (std::string* text : {&vertex, &fragment}) {
    for (std::size_t at = text->find('\n'); at != std::string::npos;
         at = text->find('\n', at + 2)) {
      text->insert(at, "\r");
    }
  }
  const auto program = build(vertex, fragment);
  EXPECT_TRUE(program->isCompiled());
  EXPECT_EQ(readTextFile(dir.file("test.frag").c_str()), fragment);
}

TEST_F(ShaderProgramTest, SettersReachTheirUniformsAndTheLastSetWins) {
  TESSALY_REQUIRE_GL(context);
  const auto shader = build(vertexSource, fragmentSource);
  ASSERT_TRUE(shader->isCompiled());
  const GLuint program = shader->program();
  shader->use();
  shader->setFloat("gain", 1.0f);
  shader->setFloat("gain", 2.5f);
  shader->setInt("count", 7);
  shader->setVec2("shift", 0.25f, -0.5f);
  shader->setVec3("tint", 1.0f, 2.0f, 3.0f);
  shader->setVec4("base", 4.0f, 5.0f, 6.0f, 7.0f);
  shader->setFloat("notInTheProgram", 1.0f);  // ignored without an error

  const auto floats = [&](const char* name, int count) {
    GLfloat values[16] = {};
    glGetUniformfv(program, glGetUniformLocation(program, name), values);
    return std::vector<float>(values, values + count);
  };
  EXPECT_EQ(floats("gain", 1), std::vector<float>{2.5f});
  GLint count = 0;
  glGetUniformiv(program, glGetUniformLocation(program, "count"), &count);
  EXPECT_EQ(count, 7);
  EXPECT_EQ(floats("shift", 2), (std::vector<float>{0.25f, -0.5f}));
  EXPECT_EQ(floats("tint", 3), (std::vector<float>{1, 2, 3}));
  EXPECT_EQ(floats("base", 4), (std::vector<float>{4, 5, 6, 7}));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShaderProgramTest, SetMat4SendsTheColumnsUntransposed) {
  TESSALY_REQUIRE_GL(context);
  const auto shader = build(vertexSource, fragmentSource);
  ASSERT_TRUE(shader->isCompiled());
  glm::mat4 matrix(1.0f);
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      matrix[column][row] = static_cast<float>(column * 4 + row + 1);
    }
  }
  shader->use();
  shader->setMat4("transform", matrix);
  GLfloat readBack[16] = {};
  glGetUniformfv(shader->program(), glGetUniformLocation(shader->program(), "transform"), readBack);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(readBack[i], glm::value_ptr(matrix)[i]) << "element " << i;
  }
}

TEST_F(ShaderProgramTest, AMissingFileIsWaitedForWithinTheBoundThenLeavesTheProgramEmpty) {
  TESSALY_REQUIRE_GL(context);
  const std::string vertexPath = dir.write("test.vert", vertexSource);
  const std::string fragmentPath = dir.file("never.frag");
  testing::internal::CaptureStderr();
  const auto start = std::chrono::steady_clock::now();
  ShaderProgram program(vertexPath.c_str(), fragmentPath.c_str());
  const auto waited = std::chrono::steady_clock::now() - start;
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(program.isCompiled());
  EXPECT_EQ(program.program(), 0u);
  EXPECT_NE(log.find("never.frag"), std::string::npos) << log;
  // It waits (a file about to appear is picked up) but gives up: a guard
  // against hanging start-up, not a speed figure.
  EXPECT_GE(waited, readableWaitLimit);
  EXPECT_LT(waited, std::chrono::seconds(20));
  program.use();
  GLint current = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  EXPECT_EQ(current, 0);
}

TEST(WaitUntilReadable, PicksUpAFileThatAppearsWhileWaiting) {
  test::TempDir dir;
  const std::string path = dir.file("late.frag");
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    dir.write("late.frag", "late");
  });
  const bool readable = waitUntilReadable(path.c_str(), std::chrono::seconds(20));
  writer.join();
  EXPECT_TRUE(readable);
  EXPECT_FALSE(waitUntilReadable(dir.file("never").c_str(), std::chrono::milliseconds(20)));
}

TEST(ReadTextFile, ReturnsTheBytesOrNothing) {
  test::TempDir dir;
  const std::string bytes("line\r\n\0tail", 11);
  EXPECT_EQ(readTextFile(dir.write("a.txt", bytes).c_str()), bytes);
  EXPECT_EQ(readTextFile(dir.write("empty.txt", "").c_str()), std::string());
  EXPECT_EQ(readTextFile(dir.file("missing.txt").c_str()), std::nullopt);
  // A directory opens but cannot be read: no text, and no huge allocation.
  EXPECT_EQ(readTextFile(dir.path().c_str()), std::nullopt);
}

TEST(ShadersSupported, FollowsEitherExtensionFlag) {
  test::GlContext context(16, 16);
  TESSALY_REQUIRE_GL(context);
  const GLboolean vertexFlag = __GLEW_ARB_vertex_program;
  const GLboolean fragmentFlag = __GLEW_ARB_fragment_program;
  // What this driver's core context reports (GLEW probes entry points when
  // glewExperimental is set): recorded in the log of the test run.
  std::printf("GLEW_ARB_vertex_program=%d GLEW_ARB_fragment_program=%d\n", vertexFlag,
              fragmentFlag);
  const GLboolean cases[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  for (const auto& flags : cases) {
    __GLEW_ARB_vertex_program = flags[0];
    __GLEW_ARB_fragment_program = flags[1];
    EXPECT_EQ(shadersSupported(), flags[0] || flags[1]) << int(flags[0]) << int(flags[1]);
  }
  __GLEW_ARB_vertex_program = vertexFlag;
  __GLEW_ARB_fragment_program = fragmentFlag;
}

}  // namespace
}  // namespace tessaly::render

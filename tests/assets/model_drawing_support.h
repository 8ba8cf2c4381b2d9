// Helpers of the model tests that draw: small shader programs of the tests'
// own (attributes 0, 1, 2 as every model shader declares them), a pixel
// read-back and the texture bound on a unit. Header-only.
#pragma once

#include "render/gl.h"
#include "render/shader_program.h"
#include "tests/support/gl_context.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace tessaly::test {

inline constexpr const char* modelVertexSource = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
layout(location = 2) in vec3 normal;
out vec2 uv;
out vec3 surfaceNormal;
void main() {
  uv = texCoord;
  surfaceNormal = normal;
  gl_Position = vec4(position, 1.0);
}
)";

// The diffuse map on unit 3 lit by one directional light.
inline constexpr const char* litTextureFragmentSource = R"(#version 330 core
in vec2 uv;
in vec3 surfaceNormal;
out vec4 fragColor;
uniform sampler2D diffuseMap;
uniform vec3 lightDirection;
void main() {
  float lit = max(dot(normalize(surfaceNormal), lightDirection), 0.0);
  fragColor = vec4(texture(diffuseMap, uv).rgb * lit, 1.0);
}
)";

// One colour everywhere, for points and coverage.
inline constexpr const char* flatFragmentSource = R"(#version 330 core
out vec4 fragColor;
uniform vec4 color;
void main() {
  fragColor = color;
}
)";

// Builds a program from two sources written into `dir`; null (with a test
// failure) when it does not compile.
inline std::unique_ptr<render::ShaderProgram> buildProgram(const TempDir& dir,
                                                           const std::string& name,
                                                           const char* vertexSource,
                                                           const char* fragmentSource) {
  const std::string vertexPath = dir.write(name + ".vert", vertexSource);
  const std::string fragmentPath = dir.write(name + ".frag", fragmentSource);
  auto program = std::make_unique<render::ShaderProgram>(vertexPath.c_str(), fragmentPath.c_str());
  if (!program->isCompiled()) {
    ADD_FAILURE() << "test program " << name << " does not build";
    return nullptr;
  }
  return program;
}

// The RGBA8 value of one pixel of the bound read framebuffer.
inline std::array<int, 4> pixelAt(int x, int y) {
  const std::vector<std::uint8_t> bytes = readPixels(x, y, 1, 1);
  return {bytes[0], bytes[1], bytes[2], bytes[3]};
}

// The texture bound to GL_TEXTURE_2D of `unit`; leaves unit 0 active.
inline GLuint textureOnUnit(GLuint unit) {
  GLint texture = 0;
  glActiveTexture(GL_TEXTURE0 + unit);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
  glActiveTexture(GL_TEXTURE0);
  return static_cast<GLuint>(texture);
}

inline bool isEnabled(GLenum capability) {
  return glIsEnabled(capability) == GL_TRUE;
}

// Whether vertex attribute array `index` is enabled.
inline bool attributeEnabled(GLuint index) {
  GLint enabled = 0;
  glGetVertexAttribiv(index, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
  return enabled != 0;
}

inline GLint integerState(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

inline float floatState(GLenum name) {
  GLfloat value = 0.0f;
  glGetFloatv(name, &value);
  return value;
}

}  // namespace tessaly::test

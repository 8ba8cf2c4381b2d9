// Shader programs: file pair -> compiled shaders -> linked program.
#include "render/shader_program.h"

#include <glm/gtc/type_ptr.hpp>

#include <cstdio>
#include <string>
#include <thread>

namespace tessaly::render {

namespace {

constexpr std::chrono::milliseconds retryPause{5};

// The info log of a shader or a program (the two GL query pairs have the same
// shape).
std::string infoLog(GLuint object, PFNGLGETSHADERIVPROC getParameter,
                    PFNGLGETSHADERINFOLOGPROC getLog) {
  GLint length = 0;
  getParameter(object, GL_INFO_LOG_LENGTH, &length);
  if (length <= 0) {
    return {};
  }
  std::string log(static_cast<std::size_t>(length), '\0');
  GLsizei written = 0;
  getLog(object, length, &written, log.data());
  log.resize(static_cast<std::size_t>(written));
  return log;
}

bool shaderCompiled(GLuint shader) {
  GLint status = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
  return status == GL_TRUE;
}

}  // namespace

bool waitUntilReadable(const char* path, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (true) {
    if (std::FILE* file = std::fopen(path, "r")) {
      std::fclose(file);
      return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(retryPause);
  }
}

std::optional<std::string> readTextFile(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    return std::nullopt;
  }
  // Read to the end rather than trusting a seek: a directory or a pipe opens
  // fine but reports no sensible length.
  std::string text;
  char chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    text.append(chunk, got);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    return std::nullopt;
  }
  return text;
}

bool shadersSupported() {
  return GLEW_ARB_vertex_program || GLEW_ARB_fragment_program;
}

ShaderProgram::ShaderProgram(const char* vertexPath, const char* fragmentPath) {
  const bool vertexReadable = waitUntilReadable(vertexPath);
  const bool fragmentReadable = waitUntilReadable(fragmentPath);

  vertexShader_ = ShaderObject(glCreateShader(GL_VERTEX_SHADER));
  fragmentShader_ = ShaderObject(glCreateShader(GL_FRAGMENT_SHADER));

  std::optional<std::string> vertexSource;
  std::optional<std::string> fragmentSource;
  if (vertexReadable) {
    vertexSource = readTextFile(vertexPath);
  }
  if (fragmentReadable) {
    fragmentSource = readTextFile(fragmentPath);
  }
  if (!vertexSource || !fragmentSource) {
    // Nothing is compiled and no program is made: the owner's compile check
    // reports it.
    for (const auto& [source, path] : {std::pair{&vertexSource, vertexPath},
                                       std::pair{&fragmentSource, fragmentPath}}) {
      if (!*source) {
        log_ += std::string(path) + ": shader file cannot be read\n";
      }
    }
    std::fputs(log_.c_str(), stderr);
    return;
  }

  const char* vertexText = vertexSource->c_str();
  const char* fragmentText = fragmentSource->c_str();
  glShaderSource(vertexShader(), 1, &vertexText, nullptr);
  glShaderSource(fragmentShader(), 1, &fragmentText, nullptr);
  vertexSource.reset();
  fragmentSource.reset();

  compile(vertexShader_, vertexPath);
  compile(fragmentShader_, fragmentPath);

  program_ = ProgramObject(glCreateProgram());
  glAttachShader(program(), vertexShader());
  glAttachShader(program(), fragmentShader());
  glLinkProgram(program());
  GLint linked = GL_FALSE;
  glGetProgramiv(program(), GL_LINK_STATUS, &linked);
  if (linked != GL_TRUE) {
    const std::string text = std::string(vertexPath) + " + " + fragmentPath +
                             ": program link failed\n" +
                             infoLog(program(), glGetProgramiv, glGetProgramInfoLog) + "\n";
    std::fputs(text.c_str(), stderr);
    log_ += text;
  }
}

// Compiles one shader; on failure its log goes to stderr and to log() under
// the file name.
void ShaderProgram::compile(const ShaderObject& shader, const char* path) {
  glCompileShader(shader.name());
  if (!shaderCompiled(shader.name())) {
    const std::string text = std::string(path) + ": shader compile failed\n" +
                             infoLog(shader.name(), glGetShaderiv, glGetShaderInfoLog) + "\n";
    std::fputs(text.c_str(), stderr);
    log_ += text;
  }
}

void ShaderProgram::use() const {
  glUseProgram(program());
}

void ShaderProgram::unuse() {
  glUseProgram(0);
}

bool ShaderProgram::isCompiled() const {
  if (program() == 0 || !shaderCompiled(vertexShader()) || !shaderCompiled(fragmentShader())) {
    return false;
  }
  GLint linked = GL_FALSE;
  glGetProgramiv(program(), GL_LINK_STATUS, &linked);
  return linked == GL_TRUE;
}

void ShaderProgram::setInt(const char* name, std::int32_t value) const {
  glUniform1i(glGetUniformLocation(program(), name), value);
}

void ShaderProgram::setFloat(const char* name, float value) const {
  glUniform1f(glGetUniformLocation(program(), name), value);
}

void ShaderProgram::setVec2(const char* name, float x, float y) const {
  glUniform2f(glGetUniformLocation(program(), name), x, y);
}

void ShaderProgram::setVec3(const char* name, float x, float y, float z) const {
  glUniform3f(glGetUniformLocation(program(), name), x, y, z);
}

void ShaderProgram::setVec4(const char* name, float x, float y, float z, float w) const {
  glUniform4f(glGetUniformLocation(program(), name), x, y, z, w);
}

void ShaderProgram::setMat4(const char* name, const glm::mat4& matrix) const {
  glUniformMatrix4fv(glGetUniformLocation(program(), name), 1, GL_FALSE, glm::value_ptr(matrix));
}

}  // namespace tessaly::render

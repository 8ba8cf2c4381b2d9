// GLSL programs built from a vertex/fragment file pair, the whole-file reader
// they use, and the test for shader support. All GL work happens on the
// thread that owns the context.
#pragma once

#include "render/gl_object.h"

#include <glm/mat4x4.hpp>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace tessaly::render {

// How long a shader file that cannot be opened is waited for before it
// counts as unreadable.
inline constexpr std::chrono::milliseconds readableWaitLimit{2000};

// Tries to open `path` for reading until it succeeds or `limit` has passed,
// sleeping a few milliseconds between tries, so a file that another process
// is still writing or is about to create is picked up. True once it opened.
bool waitUntilReadable(const char* path, std::chrono::milliseconds limit = readableWaitLimit);

// The whole file's bytes, unchanged (line ends stay as on disk); nullopt
// when the file cannot be opened or read. The string's c_str() is the
// zero-terminated text the shader compiler takes.
std::optional<std::string> readTextFile(const char* path);

// True when GLEW reports GL_ARB_vertex_program or GL_ARB_fragment_program
// for the current context; either one suffices. Needs glewInit first.
bool shadersSupported();

// What rebuilding a program from its files came to.
struct ProgramRebuild {
  bool matched = false;   // a program of this owner is built from those files
  bool compiled = false;  // the new program replaced the old one
  std::string log;        // the compile and link logs when it did not
};

// One program from a vertex and a fragment shader file. Built by its owner,
// which asks isCompiled() afterwards. Owns its program and shaders: moving
// hands them over, destruction deletes them (when a context is current), so
// a program that is replaced by a rebuilt one frees its GL names.
class ShaderProgram {
 public:
  // An empty program (no GL objects): uses nothing, compiled never.
  ShaderProgram() = default;
  // Waits for both files, reads them, compiles both shaders and links the
  // program. A file that stays unreadable leaves the program empty
  // (`program` 0, nothing compiled). Compile and link logs of failures go to
  // stderr with the file names, and are kept in log(); no message box is
  // shown here.
  ShaderProgram(const char* vertexPath, const char* fragmentPath);
  ShaderProgram(ShaderProgram&&) noexcept = default;
  ShaderProgram& operator=(ShaderProgram&&) noexcept = default;

  // Makes the program current (no program, when it is empty).
  void use() const;
  // Makes no program current.
  static void unuse();

  // True when both shaders compiled and the program linked.
  bool isCompiled() const;

  // What went wrong, as printed to stderr: each failing file's name with
  // the driver's compile log, the link log, or the file that could not be
  // read. Empty when the program built cleanly.
  const std::string& log() const { return log_; }

  // Uniform setters for the program that is current: each looks the
  // location up by name on every call (names the program lacks are ignored
  // by GL). They never make this program current; call use() first.
  void setInt(const char* name, std::int32_t value) const;
  void setFloat(const char* name, float value) const;
  void setVec2(const char* name, float x, float y) const;
  void setVec3(const char* name, float x, float y, float z) const;
  void setVec4(const char* name, float x, float y, float z, float w) const;
  // Sent column by column as GLM stores it, untransposed.
  void setMat4(const char* name, const glm::mat4& matrix) const;

  GLuint vertexShader() const { return vertexShader_.name(); }
  GLuint fragmentShader() const { return fragmentShader_.name(); }
  GLuint program() const { return program_.name(); }  // 0 while empty

 private:
  void compile(const ShaderObject& shader, const char* path);

  ShaderObject vertexShader_;
  ShaderObject fragmentShader_;
  ProgramObject program_;
  std::string log_;
};

}  // namespace tessaly::render

// The shader checks of `tessaly-inspect check`: every pair of the show built
// as the player builds it, in a hidden window's GL 3.3 core context, with
// the driver's log named by file and line.
#include "tools/check/production_check.h"

#include "app/show_reload.h"
#include "render/gl.h"
#include "render/shader_program.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace tessaly::check {

namespace {

// What GLFW said last, for the reason the checks are skipped.
std::string& glfwSaid() {
  static std::string said;
  return said;
}

void keepGlfwError(int /*code*/, const char* description) {
  glfwSaid() = description != nullptr ? description : "";
}

// Stderr sent to /dev/null while it lives: the program's own copy of the
// driver's log would only repeat what the finding says.
class QuietStderr {
 public:
  QuietStderr() {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    std::FILE* null = std::fopen("/dev/null", "w");
    if (saved_ >= 0 && null != nullptr) {
      dup2(fileno(null), STDERR_FILENO);
    }
    if (null != nullptr) {
      std::fclose(null);
    }
  }
  ~QuietStderr() {
    std::fflush(stderr);
    if (saved_ >= 0) {
      dup2(saved_, STDERR_FILENO);
      close(saved_);
    }
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_ = -1;
};

bool holdsSomething(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) &&
         std::filesystem::file_size(path, error) > 0 && !error;
}

// The files a log says failed to compile; both for a link failure.
std::string failingFiles(const ShaderPair& pair, const std::string& log) {
  const bool vertex = log.find(pair.vertexPath + ": shader compile failed") != std::string::npos;
  const bool fragment = log.find(pair.fragmentPath + ": shader compile failed") != std::string::npos;
  if (vertex && !fragment) {
    return pair.vertexPath;
  }
  if (fragment && !vertex) {
    return pair.fragmentPath;
  }
  return pair.vertexPath + " + " + pair.fragmentPath;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) {
      result.push_back(line);
    }
  }
  return result;
}

}  // namespace

struct ShaderContext::State {
  GLFWerrorfun previous = nullptr;
  bool initialised = false;
  GLFWwindow* window = nullptr;
  std::string failure;
};

ShaderContext::ShaderContext() : state_(std::make_unique<State>()) {
  State& s = *state_;
  glfwSaid().clear();
  s.previous = glfwSetErrorCallback(keepGlfwError);
  if (glfwInit() == GLFW_FALSE) {
    s.failure = "no display could be opened";
    return;
  }
  s.initialised = true;
  glfwDefaultWindowHints();
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  s.window = glfwCreateWindow(64, 64, "tessaly-inspect check", nullptr, nullptr);
  if (s.window == nullptr) {
    s.failure = "no OpenGL 3.3 core context could be made";
    return;
  }
  glfwMakeContextCurrent(s.window);
  glewExperimental = GL_TRUE;
  if (glewInit() != GLEW_OK) {
    s.failure = "the OpenGL entry points could not be loaded";
    return;
  }
  // glewInit may leave GL_INVALID_ENUM behind on core contexts.
  while (glGetError() != GL_NO_ERROR) {
  }
}

ShaderContext::~ShaderContext() {
  State& s = *state_;
  if (s.window != nullptr) {
    glfwMakeContextCurrent(nullptr);
    glfwDestroyWindow(s.window);
  }
  if (s.initialised) {
    glfwTerminate();
  }
  glfwSetErrorCallback(s.previous);
}

std::string ShaderContext::failure() const {
  if (state_->failure.empty() || glfwSaid().empty()) {
    return state_->failure;
  }
  return state_->failure + " (" + glfwSaid() + ")";
}

void checkShaders(CheckReport& report) {
  const ShaderContext context;
  checkShaders(report, context);
}

void checkShaders(CheckReport& report, const ShaderContext& context) {
  if (const std::string failure = context.failure(); !failure.empty()) {
    report.shadersSkipped = failure;
    return;
  }
  report.shadersChecked = true;
  for (ShaderPair& pair : report.shaderPairs) {
    // A missing or empty file is a finding of the file checks already; the
    // program would wait for it and then fail on it.
    if (!holdsSomething(pair.vertexPath) || !holdsSomething(pair.fragmentPath)) {
      continue;
    }
    pair.tried = true;
    std::string log;
    {
      const QuietStderr quiet;
      const render::ShaderProgram program(pair.vertexPath.c_str(), pair.fragmentPath.c_str());
      pair.compiled = program.isCompiled();
      log = program.log();
    }
    if (pair.compiled) {
      continue;
    }
    const bool linkOnly = log.find(": shader compile failed") == std::string::npos;
    std::vector<std::string> details = lines(app::describeShaderLog(log));
    if (!linkOnly) {
      // A link after a failed compile fails for that reason alone.
      const auto link = std::find_if(details.begin(), details.end(), [](const std::string& line) {
        return line.ends_with(": program link failed");
      });
      details.erase(link, details.end());
    }
    report.findings.push_back(
        {"shader", failingFiles(pair, log),
         std::string(linkOnly ? "does not link" : "does not compile") +
             ": the show stops at start-up with \"Error compiling " + pair.programName + "\"",
         "fix the lines the driver names below", std::move(details)});
  }
}

}  // namespace tessaly::check

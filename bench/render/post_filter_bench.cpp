// Baselines of the post-processing chain on this machine's GL (llvmpipe in
// CI): building the whole chain (nine targets, two programs, the quad) and
// one glow pass, both at 1920x1080, with and without multisampling. The
// programs are the tests' small filter shaders, so program build time is a
// floor: the production's own shaders may compile slower.
#include "render/post_filter.h"

#include "tests/support/filter_shaders.h"

#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

constexpr int screenWidth = 1920;
constexpr int screenHeight = 1080;

// One hidden 1920x1080 core-profile window for the whole run, the player's
// render state, and the filter shaders in a scratch working directory.
bool setUpOnce() {
  static const bool ready = [] {
    std::string scratch =
        (std::filesystem::temp_directory_path() / "tessaly-bench-XXXXXX").string();
    if (mkdtemp(scratch.data()) == nullptr) {
      return false;
    }
    tessaly::test::writeFilterShaders(scratch);
    std::filesystem::current_path(scratch);
    if (glfwInit() == GLFW_FALSE) {
      return false;
    }
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    GLFWwindow* window = glfwCreateWindow(screenWidth, screenHeight, "bench", nullptr, nullptr);
    if (window == nullptr) {
      return false;
    }
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
      return false;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    GLuint vertexArray = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glViewport(0, 0, screenWidth, screenHeight);
    glClearColor(0, 0, 0, 0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    return true;
  }();
  return ready;
}

void BM_CreatePostFilter(benchmark::State& state) {
  if (!setUpOnce()) {
    state.SkipWithError("no OpenGL 3.3 core context");
    return;
  }
  const auto multisampled = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state) {
    std::optional<tessaly::render::PostFilter> filter;
    filter.emplace(multisampled, screenWidth, screenHeight);
    glFinish();
    state.PauseTiming();
    if (filter->failed()) {
      state.SkipWithError("the chain failed to build");
    }
    filter.reset();
    glFinish();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_CreatePostFilter)
    ->ArgName("multisampled")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A chain at 1920x1080 whose scene target holds a grey frame with a bright
// block, resolved once; released when it goes.
class SceneChain {
 public:
  explicit SceneChain(std::int32_t multisampled) : filter(multisampled, screenWidth, screenHeight) {
    if (filter.failed()) {
      return;
    }
    const tessaly::render::RenderTarget& scene = filter.sceneTarget();
    scene.bind();
    glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    tessaly::render::PostFilter::clear();
    glEnable(GL_SCISSOR_TEST);
    glScissor(900, 500, 120, 80);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 0);
    scene.unbind();
    glFinish();
  }
  ~SceneChain() { glFinish(); }

  tessaly::render::PostFilter filter;
};

// Runs `pass` once per iteration with glFinish inside the timing.
template <typename Pass>
void timePass(benchmark::State& state, Pass pass) {
  if (!setUpOnce()) {
    state.SkipWithError("no OpenGL 3.3 core context");
    return;
  }
  SceneChain chain(static_cast<std::int32_t>(state.range(0)));
  if (chain.filter.failed()) {
    state.SkipWithError("the chain failed to build");
    return;
  }
  for (auto _ : state) {
    pass(chain.filter);
    glFinish();
  }
}

// The whole glow that ends every scene (radius 3, alpha 1).
void BM_Glow(benchmark::State& state) {
  timePass(state, [](const tessaly::render::PostFilter& filter) { filter.glow(3.0f, 1.0f); });
}

// Its parts, for reading the glow's cost: ending the frame driver's drawing
// into the scene target (resolve when multisampled, full-size float mipmaps)
// and one full-screen alpha-blended draw of the scene texture onto the
// window (depth cleared first, as before every overlay: otherwise the depth
// test rejects the whole quad and the draw costs nothing).
void BM_UnbindSceneTarget(benchmark::State& state) {
  timePass(state, [](const tessaly::render::PostFilter& filter) {
    filter.sceneTarget().bind();
    filter.sceneTarget().unbind();
  });
}

void BM_DrawFullScreen(benchmark::State& state) {
  timePass(state, [](const tessaly::render::PostFilter& filter) {
    tessaly::render::PostFilter::clearDepth();
    filter.draw(filter.sceneTarget().colorTexture(), 1.0f);
  });
}

BENCHMARK(BM_Glow)
    ->ArgName("multisampled")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_UnbindSceneTarget)
    ->ArgName("multisampled")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_DrawFullScreen)
    ->ArgName("multisampled")
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

// The cost of each drawn pass of the production's own shaders on this
// machine's GL (llvmpipe in CI), at 1280x720 and 1920x1080, before and after
// they were made cheaper: "before" is the shader files as they were, kept
// word for word in bench/render/literal_shaders/; "after" is content/shaders/
// as the build copies it into Data/Shaders. Both are drawn on the same
// stand-in inputs (tests/support/shader_passes.h), taking turns, in one
// process, so the ratio is measured side by side.
//
// One result per size and pass; the time is the "after" median, and the
// counters are
//   before_ms, after_ms  medians of the pass with all its GPU work, glFinish
//                        before and after the draw
//   speedup              before_ms / after_ms
//   before_cpu_ms, after_cpu_ms, cpu_speedup
//                        the same in CPU time of the whole process (the
//                        rasteriser's threads included): on a machine shared
//                        with other work the steadier figure
// "glow" is the three filter passes of every scene frame together (blur
// along y, blur along x, the two composites).
#include "tests/support/gl_context.h"
#include "tests/support/shader_passes.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace test = tessaly::test;
using Clock = std::chrono::steady_clock;

constexpr int warmUpRounds = 1;
constexpr int measuredRounds = 7;

struct Size {
  int width;
  int height;
  std::string name() const { return std::to_string(width) + "x" + std::to_string(height); }
};
const Size sizes[] = {{1280, 720}, {1920, 1080}};

// The context and both program sets, made on first use and kept for the run.
struct Setup {
  std::unique_ptr<test::GlContext> context;
  test::PassPrograms before;
  test::PassPrograms after;
  std::map<std::string, std::unique_ptr<test::ShaderPassScene>> scenes;
  std::string error;
};

Setup& setup() {
  static Setup instance = [] {
    Setup s;
    s.context = std::make_unique<test::GlContext>(64, 64);
    if (!s.context->ok()) {
      s.error = "no OpenGL 3.3 core context";
      return s;
    }
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    s.before = test::buildPassPrograms(TESSALY_LITERAL_SHADER_DIR);
    s.after = test::buildPassPrograms(TESSALY_CONTENT_SHADER_DIR);
    if (!s.before.ok() || !s.after.ok()) {
      s.error = "the shaders do not build: " + s.before.log + s.after.log;
    }
    return s;
  }();
  return instance;
}

test::ShaderPassScene* sceneOf(const Size& size) {
  Setup& s = setup();
  auto& scene = s.scenes[size.name()];
  if (!scene) {
    scene = std::make_unique<test::ShaderPassScene>(size.width, size.height);
  }
  return scene->ok() ? scene.get() : nullptr;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
}

// The passes timed under one name: one pass, or the glow's three.
std::vector<test::ShaderPass> passesOf(const std::string& name) {
  if (name == "glow") {
    return {test::ShaderPass::blurY, test::ShaderPass::blurX, test::ShaderPass::composite};
  }
  for (const test::ShaderPassInfo& info : test::shaderPasses()) {
    if (info.name == name) {
      return {info.pass};
    }
  }
  return {};
}

double processCpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

struct Spent {
  double wall = 0;
  double cpu = 0;
};

Spent timeOnce(const test::ShaderPassScene& scene, const std::vector<test::ShaderPass>& passes,
               const test::PassPrograms& programs) {
  glFinish();
  const auto start = Clock::now();
  const double cpuStart = processCpuMilliseconds();
  for (const test::ShaderPass pass : passes) {
    scene.draw(pass, programs);
  }
  glFinish();
  Spent spent;
  spent.cpu = processCpuMilliseconds() - cpuStart;
  spent.wall = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  return spent;
}

void measure(benchmark::State& state, const Size& size, const std::string& passName) {
  Setup& s = setup();
  if (!s.error.empty()) {
    state.SkipWithError(s.error.c_str());
    return;
  }
  const test::ShaderPassScene* scene = sceneOf(size);
  if (scene == nullptr) {
    state.SkipWithError("the stand-in inputs could not be made");
    return;
  }
  const std::vector<test::ShaderPass> passes = passesOf(passName);
  for (int round = 0; round < warmUpRounds; ++round) {
    timeOnce(*scene, passes, s.before);
    timeOnce(*scene, passes, s.after);
  }
  std::vector<double> before;
  std::vector<double> after;
  std::vector<double> beforeCpu;
  std::vector<double> afterCpu;
  for (int round = 0; round < measuredRounds; ++round) {
    const Spent b = timeOnce(*scene, passes, s.before);
    const Spent a = timeOnce(*scene, passes, s.after);
    before.push_back(b.wall);
    after.push_back(a.wall);
    beforeCpu.push_back(b.cpu);
    afterCpu.push_back(a.cpu);
  }
  const double beforeMs = median(before);
  const double afterMs = median(after);
  const double beforeCpuMs = median(beforeCpu);
  const double afterCpuMs = median(afterCpu);
  for (auto _ : state) {
    state.SetIterationTime(afterMs * 1e-3);
  }
  state.counters["before_ms"] = beforeMs;
  state.counters["after_ms"] = afterMs;
  state.counters["speedup"] = afterMs > 0 ? beforeMs / afterMs : 0.0;
  state.counters["before_cpu_ms"] = beforeCpuMs;
  state.counters["after_cpu_ms"] = afterCpuMs;
  state.counters["cpu_speedup"] = afterCpuMs > 0 ? beforeCpuMs / afterCpuMs : 0.0;
}

void registerAll() {
  std::vector<std::string> names;
  for (const test::ShaderPassInfo& info : test::shaderPasses()) {
    if (info.drawnByPlayer) {
      names.emplace_back(info.name);
    }
  }
  names.emplace_back("glow");
  for (const Size& size : sizes) {
    for (const std::string& name : names) {
      const std::string title = "ShaderPass/" + size.name() + "/" + name;
      benchmark::RegisterBenchmark(title.c_str(),
                                   [size, name](benchmark::State& state) {
                                     measure(state, size, name);
                                   })
          ->Iterations(1)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
    }
  }
}

const bool registered = (registerAll(), true);

}  // namespace

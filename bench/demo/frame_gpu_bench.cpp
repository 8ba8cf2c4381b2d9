// The cost of a production frame (build/Data) on this machine's GL (llvmpipe
// in CI), per scene, at 1280x720 and 1920x1080, with and without
// multisampling, before and after the filter chain's savings: frame_probe
// runs in a fresh process per configuration (the window's multisampling is
// fixed when it opens) and draws every frame both ways, taking turns.
//
// Per scene and configuration, medians over the measured frames:
//   time            the frame with all its GPU work (llvmpipe's rasteriser
//                   threads), glFinish before and after renderFrame
//   cpu_ms          the main thread's CPU time inside renderFrame
//   gl_calls        GL calls of the frame, the buffer swap included
//   uniform_lookups glGetUniformLocation calls of the frame
//   lookup_pct      uniform lookups plus all of the frame's own code outside
//                   GL (which holds the registry lookups by name), as a
//                   share of the frame's cpu time (median of the per-frame
//                   shares): an upper bound of the name lookups' cost (the
//                   counter's own clock reads land in it too)
//   uniform_lookup_pct  glGetUniformLocation alone, as a share of cpu_ms
//   *_ms            one more frame split where llvmpipe finishes its work:
//                   drawing of the scene, of the two blur passes, of the
//                   composites and titles; the resolves of multisampled
//                   targets, the mipmap rebuilds, the swap
#include "tests/support/process.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

const std::string probePath = std::string(TESSALY_BINARY_DIR) + "/bench/frame_probe";
constexpr int measuredFrames = 5;

struct Configuration {
  int width;
  int height;
  bool multisampling;

  std::string name() const {
    return std::to_string(width) + "x" + std::to_string(height) +
           (multisampling ? " multisampled" : "");
  }
};

// One scene's medians in one variant, as the probe prints them.
using SceneValues = std::map<std::string, double>;

struct Measured {
  std::string error;
  std::map<std::pair<int, std::string>, SceneValues> scenes;  // by scene and variant
};

const char* const variants[] = {"before", "after"};

std::vector<Configuration> configurations() {
  std::vector<Configuration> all;
  for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{1920, 1080}}) {
    for (const bool multisampling : {true, false}) {
      all.push_back({width, height, multisampling});
    }
  }
  return all;
}

Measured runProbe(const Configuration& configuration) {
  Measured measured;
  std::vector<std::string> arguments = {
      "--size", std::to_string(configuration.width) + "x" + std::to_string(configuration.height),
      "--frames", std::to_string(measuredFrames)};
  if (!configuration.multisampling) arguments.push_back("--no-multisampling");
  tessaly::test::ChildProcess probe(probePath, arguments,
                                    {TESSALY_BINARY_DIR, {"SDL_AUDIODRIVER=dummy"}, ""});
  const auto status = probe.wait(600s);
  if (!status || *status != 0) {
    measured.error = "frame_probe failed (status " + (status ? std::to_string(*status) : "none") +
                     "): " + probe.standardError();
    return measured;
  }
  std::istringstream lines(probe.standardOutput());
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string word;
    std::string variantWord;
    std::string variant;
    int scene = 0;
    if (!(words >> word >> scene >> variantWord >> variant) || word != "scene") continue;
    std::string key;
    double value = 0;
    while (words >> key >> value) measured.scenes[{scene, variant}][key] = value;
  }
  if (measured.scenes.size() != 8) measured.error = "frame_probe printed no frames";
  return measured;
}

// Every configuration measured once, on first use.
const std::map<std::string, Measured>& results() {
  static const std::map<std::string, Measured> all = [] {
    std::map<std::string, Measured> measured;
    if (!std::filesystem::is_directory(std::string(TESSALY_BINARY_DIR) + "/Data/Models")) {
      for (const Configuration& c : configurations()) {
        measured[c.name()].error = "no production in the build folder";
      }
      return measured;
    }
    for (const Configuration& c : configurations()) measured[c.name()] = runProbe(c);
    return measured;
  }();
  return all;
}

void reportScene(benchmark::State& state, const std::string& configuration, int scene,
                 const std::string& variant) {
  const Measured& measured = results().at(configuration);
  if (!measured.error.empty()) {
    state.SkipWithError(measured.error.c_str());
    return;
  }
  SceneValues values = measured.scenes.at({scene, variant});
  for (auto _ : state) {
    state.SetIterationTime(values["wall_ms"] * 1e-3);
  }
  const double cpu = values["cpu_ms"];
  state.counters["cpu_ms"] = cpu;
  state.counters["gl_calls"] = values["gl_calls"];
  state.counters["uniform_lookups"] = values["uniform_lookups"];
  state.counters["lookup_pct"] = values["lookup_pct"];
  state.counters["uniform_lookup_pct"] = cpu > 0 ? 0.1 * values["lookup_us"] / cpu : 0.0;
  for (const char* part : {"scene_draw_ms", "blur_draw_ms", "composite_draw_ms", "resolve_ms",
                           "mipmap_ms", "present_ms"}) {
    state.counters[part] = values[part];
  }
}

void registerAll() {
  for (const Configuration& c : configurations()) {
    for (int scene = 1; scene <= 4; ++scene) {
      for (const char* variant : variants) {
        const std::string name =
            "Frame/" + c.name() + "/scene " + std::to_string(scene) + "/" + variant;
        benchmark::RegisterBenchmark(
            name.c_str(),
            [configuration = c.name(), scene, variant = std::string(variant)](
                benchmark::State& state) { reportScene(state, configuration, scene, variant); })
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
      }
    }
  }
}

const bool registered = (registerAll(), true);

}  // namespace

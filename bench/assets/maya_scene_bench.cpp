// Loading a 20-segment camera curve file end to end: the scene's sample
// precomputation (binary search in the arc tables) side by side with the
// same load scanning the tables from the start, as written literally. The
// two give the same samples bit for bit (checked here before timing, and in
// the tests).
#include "assets/maya_scene.h"
#include "bench/assets/literal_arc_scan.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const std::string cameraFile = std::string(TESSALY_SOURCE_DIR) + "/tests/assets/data/maya/CamCurve20.ma";

tessaly::assets::MayaScene loadCamera(tessaly::assets::ArcSearch search) {
  tessaly::assets::MayaScene scene;
  scene.load(cameraFile, search);
  return scene;
}

// Stops the run when the two searches disagree: the timings would mean nothing.
void checkSameSamples() {
  const auto ours = loadCamera(tessaly::assets::firstEntryAbove);
  const auto literal = loadCamera(tessaly::bench::literalFirstEntryAbove);
  if (ours.curves.size() != 1 || literal.curves.size() != 1 ||
      ours.curves[0].segmentCount != 20 || ours.curves[0].samples.size() != 5001 ||
      std::memcmp(ours.curves[0].samples.data(), literal.curves[0].samples.data(),
                  5001 * sizeof(glm::vec3)) != 0) {
    std::fprintf(stderr, "the two searches give different samples for %s\n", cameraFile.c_str());
    std::exit(1);
  }
}

void BM_LoadCameraCurve(benchmark::State& state) {
  checkSameSamples();
  for (auto _ : state) {
    benchmark::DoNotOptimize(loadCamera(tessaly::assets::firstEntryAbove));
  }
}
BENCHMARK(BM_LoadCameraCurve)->Unit(benchmark::kMillisecond);

void BM_LoadCameraCurveLiteralScan(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(loadCamera(tessaly::bench::literalFirstEntryAbove));
  }
}
BENCHMARK(BM_LoadCameraCurveLiteralScan)->Unit(benchmark::kMillisecond);

// The lookups a frame makes.
void BM_CurvePoint(benchmark::State& state) {
  const auto scene = loadCamera(tessaly::assets::firstEntryAbove);
  float u = 0.0f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(scene.curvePoint("CamCurve20.ma", u));
    u = u < 1.0f ? u + 0.001f : 0.0f;
  }
}
BENCHMARK(BM_CurvePoint);

void BM_EvaluateCurve(benchmark::State& state) {
  const auto scene = loadCamera(tessaly::assets::firstEntryAbove);
  float u = 0.0f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(scene.evaluateCurve("CamCurve20.ma", u));
    u = u < 1.0f ? u + 0.001f : 0.0f;
  }
}
BENCHMARK(BM_EvaluateCurve);

}  // namespace

// CPU time of one frame's arithmetic: the sixteen tracks sampled from keyed
// tracks, the shake, the camera and the seven animated object transforms.
#include "app/show.h"
#include "demo/frame_math.h"

#include "sync/sync_track.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace tessaly::demo {
namespace {

void BM_FrameMath(benchmark::State& state) {
  // Every track keyed every 8 rows over the show, linearly interpolated.
  std::vector<sync::SyncTrack> tracks(demo::trackCount);
  demo::FrameInputs inputs;
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    std::vector<sync::SyncKey> keys;
    for (int row = 0; row < 1200; row += 8) {
      keys.push_back({row, static_cast<float>(i) + 0.01f * static_cast<float>(row),
                      sync::KeyType::linear});
    }
    tracks[i].setKeys(std::move(keys));
    inputs.tracks[i] = &tracks[i];
  }
  for (std::size_t i = 0; i < inputs.spectrum.size(); ++i) {
    inputs.spectrum[i] = 1.0f / static_cast<float>(i + 1);
  }
  float musicTime = 0.0f;
  for (auto _ : state) {
    musicTime += 1.0f / 60.0f;
    if (musicTime >= app::demoLength) {
      musicTime = 0.0f;
    }
    inputs.currentRow = static_cast<double>(musicTime) * 13.933333333333334;
    const FrameTracks frame = sampleFrameTracks(inputs);
    const glm::vec2 shake = cameraShake(frame, inputs.spectrum, musicTime);
    const Camera camera = buildCamera(cameraEye({1.0f, 2.0f, 3.0f}, shake), frame);
    benchmark::DoNotOptimize(camera);
    for (const ObjectMotion& grinder : grinderColumn) {
      benchmark::DoNotOptimize(objectMvp(camera, grinder, musicTime));
    }
    benchmark::DoNotOptimize(objectMvp(camera, balleknuserMotion(musicTime), musicTime));
    benchmark::DoNotOptimize(distortUniform(musicTime));
    const int scene = sceneToRun(frame.sceneNumber);
    benchmark::DoNotOptimize(overlayTextureName(scene, frame.overlayNumber));
  }
}
BENCHMARK(BM_FrameMath);

}  // namespace
}  // namespace tessaly::demo

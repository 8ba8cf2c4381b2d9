// The frame driver on the real production (build/Data) at 1280x720 on this
// machine's GL (llvmpipe in CI):
// - RenderFrameCall: the time spent inside renderFrame for a frame of each
//   scene, with glFinish before and after the call so the
//   GPU's work of other frames is not counted. On llvmpipe the call still
//   waits for the rasteriser where it reads back its own pictures (mipmaps
//   of the glow targets); the "cpu" counter is the main thread's own CPU
//   time in the call, which excludes the rasteriser threads.
// - CaptureFrame: tessaly-capture's frame (clock set, spectrum, frame,
//   read-back, present) for 240 frames spread over the show: its rate is
//   the capture throughput before any PNG or video encoding.
#include "app/frame_inputs.h"
#include "demo/frame.h"
#include "platform/error_box.h"
#include "render/gl.h"
#include "sync/music_player.h"
#include "tools/capture/capture_frames.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <filesystem>

namespace {

constexpr int width = 1280;
constexpr int height = 720;

bool setUpOnce() {
  static const bool ready = [] {
    std::filesystem::current_path(TESSALY_BINARY_DIR);
    tessaly::platform::setErrorSink(tessaly::platform::printErrorOnly);
    bool soundtrack = false;
    return tessaly::capture::startCapture(width, height, true, soundtrack);
  }();
  return ready;
}

double threadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

// A moment of scene 1 to 4 of the production (see content/README.md).
double sceneTime(int scene) {
  constexpr double times[] = {0.0, 5.0, 25.0, 45.0, 65.0};
  return times[scene];
}

void RenderFrameCall(benchmark::State& state) {
  if (!setUpOnce()) {
    state.SkipWithError("no GL window or no usable build/Data");
    return;
  }
  namespace sync = tessaly::sync;
  tessaly::app::FrameInputs& inputs = tessaly::app::frameInputs();
  tessaly::demo::SceneAssets& assets = tessaly::demo::loadedAssets();
  double seconds = sceneTime(static_cast<int>(state.range(0)));
  double cpu = 0.0;
  for (auto _ : state) {
    // Frames 1/60 s apart, so the scene moves as in the show.
    seconds += 1.0 / 60.0;
    sync::MusicPlayer::setSeconds(seconds);
    inputs.currentRow = sync::MusicPlayer::row();
    sync::MusicPlayer::fetchSpectrum(inputs.spectrum.data());
    const float musicTime = sync::MusicPlayer::seconds();
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = threadCpuSeconds();
    tessaly::demo::renderFrame(inputs, musicTime, assets);
    cpu += threadCpuSeconds() - cpuStart;
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    glFinish();
  }
  state.counters["cpu_ms"] =
      benchmark::Counter(cpu * 1e3 / static_cast<double>(state.iterations()));
}
BENCHMARK(RenderFrameCall)
    ->ArgName("scene")
    ->DenseRange(1, 4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

void CaptureFrame(benchmark::State& state) {
  if (!setUpOnce()) {
    state.SkipWithError("no GL window or no usable build/Data");
    return;
  }
  tessaly::capture::Image frame;
  long n = 0;
  for (auto _ : state) {
    // Through the show from 1 s on, one frame at a time.
    tessaly::capture::captureFrame(1.0 + static_cast<double>(n++) * 80.0 / 240.0, frame);
    benchmark::DoNotOptimize(frame.rgba.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CaptureFrame)->Unit(benchmark::kMillisecond)->Iterations(240)->UseRealTime();

}  // namespace

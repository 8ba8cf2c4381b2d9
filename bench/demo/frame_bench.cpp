// The frame driver on the real production (build/Data) at 1280x720 on this
// machine's GL (llvmpipe in CI):
// - RenderFrameCall: the time spent inside the frame driver and the present for a frame of each
//   scene, with glFinish before and after the call so the
//   GPU's work of other frames is not counted. On llvmpipe the call still
//   waits for the rasteriser where it reads back its own pictures (mipmaps
//   of the glow targets); the "cpu" counter is the main thread's own CPU
//   time in the call, which excludes the rasteriser threads.
// - CaptureFrame: tessaly-capture's frame (clock set, spectrum, frame,
//   read-back, present) for 240 frames spread over the show: its rate is
//   the capture throughput before any PNG or video encoding.
#include "app/show.h"
#include "app/window.h"
#include "platform/error_box.h"
#include "render/gl.h"
#include "tools/capture/capture_frames.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <filesystem>

namespace {

constexpr int width = 1280;
constexpr int height = 720;

// The capture's show, started once for every benchmark of the run.
tessaly::capture::FrameCapture* capture() {
  static tessaly::capture::FrameCapture* const started = [] {
    std::filesystem::current_path(TESSALY_BINARY_DIR);
    tessaly::platform::setErrorSink(tessaly::platform::printErrorOnly);
    auto* made = new tessaly::capture::FrameCapture;
    return made->start(width, height, true) ? made : nullptr;
  }();
  return started;
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
  if (capture() == nullptr) {
    state.SkipWithError("no GL window or no usable build/Data");
    return;
  }
  tessaly::app::Show& show = capture()->show();
  double seconds = sceneTime(static_cast<int>(state.range(0)));
  double cpu = 0.0;
  for (auto _ : state) {
    // Frames 1/60 s apart, so the scene moves as in the show.
    seconds += 1.0 / 60.0;
    show.music.setSeconds(seconds);
    show.inputs.currentRow = show.music.row();
    show.music.fetchSpectrum(show.inputs.spectrum.data());
    const float musicTime = show.music.seconds();
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = threadCpuSeconds();
    tessaly::app::drawShowFrame(show, musicTime);
    tessaly::app::presentFrame();
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
  if (capture() == nullptr) {
    state.SkipWithError("no GL window or no usable build/Data");
    return;
  }
  tessaly::capture::Image frame;
  long n = 0;
  for (auto _ : state) {
    // Through the show from 1 s on, one frame at a time.
    capture()->capture(1.0 + static_cast<double>(n++) * 80.0 / 240.0, frame);
    benchmark::DoNotOptimize(frame.rgba.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CaptureFrame)->Unit(benchmark::kMillisecond)->Iterations(240)->UseRealTime();

}  // namespace

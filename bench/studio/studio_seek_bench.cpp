// The studio's seek on the real production (build/Data) at 640x360 with
// multisampling, the studio's default, on this machine's GL (llvmpipe in
// CI), with the music playing on SDL's output (the dummy driver in CI):
// - FrameAfterSeek: a seek to a time anywhere in the show (a golden-ratio
//   walk, so every scene and many overlays come up), then what the studio
//   does for the frame that follows it: the row and the spectrum at the new
//   time, the frame drawn by the frame driver and presented, glFinish. The
//   time is from the seek to the finished frame: what a user waits.
// - PlainFrame: the same frames (the same walk of times, the music paused
//   there before the clock starts): the frame time that the seek's figure
//   includes.
// The "seek_ms" counter is the seek call alone (music position and the
// paused stream's spectrum source).
#include "app/show.h"
#include "app/window.h"
#include "platform/error_box.h"
#include "render/gl.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <filesystem>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int width = 640;
constexpr int height = 360;

tessaly::app::Show* show() {
  static tessaly::app::Show* const started = [] {
    std::filesystem::current_path(TESSALY_BINARY_DIR);
    tessaly::platform::setErrorSink(tessaly::platform::printErrorOnly);
    auto* made = new tessaly::app::Show;
    made->config.width = width;
    made->config.height = height;
    made->config.fullscreen = 0;
    made->config.verticalSync = 0;
    made->config.multisampling = 1;
    tessaly::app::ShowOptions options;
    options.window = tessaly::app::ShowWindow::hidden;
    options.watchData = false;
    return tessaly::app::startShow(*made, options) ? made : nullptr;
  }();
  return started;
}

double seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The studio's frame after its clock moved: row and spectrum, draw, present.
void frameAt(tessaly::app::Show& running) {
  running.inputs.currentRow = running.music.row();
  running.music.fetchSpectrum(running.inputs.spectrum.data());
  tessaly::app::drawShowFrame(running, running.music.seconds());
  tessaly::app::presentFrame();
  glFinish();
}

void FrameAfterSeek(benchmark::State& state) {
  tessaly::app::Show* running = show();
  if (running == nullptr) {
    state.SkipWithError("no GL window or no usable build/Data");
    return;
  }
  running->music.setPaused(false);
  const double goldenStep = 0.6180339887498949 * static_cast<double>(tessaly::app::demoLength);
  double target = 3.0;
  double seekTotal = 0.0;
  for (auto _ : state) {
    target = std::fmod(target + goldenStep, static_cast<double>(tessaly::app::demoLength));
    glFinish();
    const Clock::time_point start = Clock::now();
    running->music.seek(target);
    seekTotal += seconds(start);
    frameAt(*running);
    state.SetIterationTime(seconds(start));
  }
  state.counters["seek_ms"] =
      benchmark::Counter(seekTotal * 1e3 / static_cast<double>(state.iterations()));
}
BENCHMARK(FrameAfterSeek)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

void PlainFrame(benchmark::State& state) {
  tessaly::app::Show* running = show();
  if (running == nullptr) {
    state.SkipWithError("no GL window or no usable build/Data");
    return;
  }
  // Paused and stepped by hand, so each frame is at a known time spread
  // over the show like the seeks above.
  running->music.setPaused(true);
  const double goldenStep = 0.6180339887498949 * static_cast<double>(tessaly::app::demoLength);
  double base = 3.0;
  for (auto _ : state) {
    base = std::fmod(base + goldenStep, static_cast<double>(tessaly::app::demoLength));
    running->music.seek(base);
    glFinish();
    const Clock::time_point start = Clock::now();
    frameAt(*running);
    state.SetIterationTime(seconds(start));
  }
}
BENCHMARK(PlainFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

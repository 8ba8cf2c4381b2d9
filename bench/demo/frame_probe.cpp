// Frames of the production (build/Data) through the player's frame driver
// in a fresh process with a window of a given size, timed and counted, for
// frame_gpu_bench. Benchmark-only.
//
//   frame_probe [--size WxH] [--no-multisampling] [--literal] [--frames N]
//
// The player's start-up without dialog and music (a visible window, no
// vertical sync), the soundtrack opened as a clock the probe sets, then for
// each scene two frames to warm up (the driver compiles its shader variants
// on first use) and N measured frames, 1/60 s of music apart from the
// scene's moment. --literal turns the filter chain's result-preserving
// savings off: the passes exactly as first written, for comparison.
//
// One line per scene on stdout, each value the median over the N frames:
//   scene <n> wall_ms <renderFrame with all its GPU work, glFinish to glFinish>
//   call_ms <the renderFrame call alone> cpu_ms <main thread CPU in the call>
//   gl_calls <n> uniform_lookups <n> draws <n> lookup_us <inside
//   glGetUniformLocation> own_us <the call's time outside every GL call>
// and, from one more frame with the breakdown of the GL call counter on,
//   scene_draw_ms blur_draw_ms composite_draw_ms resolve_ms mipmap_ms present_ms
#include "app/demo_config.h"
#include "app/frame_inputs.h"
#include "app/startup.h"
#include "bench/support/gl_call_counter.h"
#include "demo/frame.h"
#include "platform/error_box.h"
#include "render/gl.h"
#include "render/post_filter.h"
#include "sync/music_player.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

namespace app = tessaly::app;
namespace bench = tessaly::bench;
using Clock = std::chrono::steady_clock;

double threadCpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

double milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

double median(std::vector<double> values) {
  if (values.empty()) {
    return 0.0;
  }
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
}

// A moment inside each scene of the show.
constexpr double sceneSeconds[] = {0.0, 5.0, 25.0, 45.0, 65.0};
constexpr int warmUpFrames = 2;

struct FrameSample {
  double wall = 0;
  double call = 0;
  double cpu = 0;
  bench::GlCallCounts counts;
};

// Sets the clock and the frame inputs for the frame at `seconds`; returns
// the music time the frame is drawn for.
float prepareFrame(double seconds) {
  namespace sync = tessaly::sync;
  app::FrameInputs& inputs = app::frameInputs();
  sync::MusicPlayer::setSeconds(seconds);
  inputs.currentRow = sync::MusicPlayer::row();
  sync::MusicPlayer::fetchSpectrum(inputs.spectrum.data());
  return sync::MusicPlayer::seconds();
}

double ms(std::chrono::nanoseconds spent) {
  return std::chrono::duration<double, std::milli>(spent).count();
}

FrameSample renderOne(double seconds) {
  const float musicTime = prepareFrame(seconds);
  app::FrameInputs& inputs = app::frameInputs();
  FrameSample sample;
  glFinish();
  const auto start = Clock::now();
  const double cpuStart = threadCpuMilliseconds();
  bench::startCounting();
  tessaly::demo::renderFrame(inputs, musicTime);
  sample.counts = bench::stopCounting();
  sample.cpu = threadCpuMilliseconds() - cpuStart;
  const auto returned = Clock::now();
  glFinish();
  sample.call = milliseconds(returned - start);
  sample.wall = milliseconds(Clock::now() - start);
  return sample;
}

}  // namespace

int main(int argc, char** argv) {
  int width = 1920;
  int height = 1080;
  int multisampling = 1;
  int frames = 3;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-multisampling") == 0) {
      multisampling = 0;
    } else if (std::strcmp(argv[i], "--literal") == 0) {
      tessaly::render::setPassSavings(tessaly::render::PassSavings::none());
    } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc &&
               std::sscanf(argv[i + 1], "%dx%d", &width, &height) == 2) {
      ++i;
    } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc &&
               std::sscanf(argv[i + 1], "%d", &frames) == 1 && frames > 0) {
      ++i;
    } else {
      std::fprintf(stderr, "usage: frame_probe [--size WxH] [--no-multisampling] [--literal] "
                           "[--frames N]\n");
      return 2;
    }
  }
  tessaly::platform::setErrorSink(tessaly::platform::printErrorOnly);
  app::DemoConfig& config = app::demoConfig();
  config.width = width;
  config.height = height;
  config.fullscreen = 0;
  config.verticalSync = 0;
  config.multisampling = multisampling;
  if (!app::startShow(true)) {
    return 1;
  }
  tessaly::sync::MusicPlayer::openForCapture(app::musicFileName);
  bench::installGlCallCounter();

  for (int scene = 1; scene <= 4; ++scene) {
    std::vector<double> wall, call, cpu, lookup, own;
    bench::GlCallCounts counts;
    for (int i = 0; i < warmUpFrames + frames; ++i) {
      const FrameSample sample = renderOne(sceneSeconds[scene] + i / 60.0);
      if (i < warmUpFrames) {
        continue;
      }
      wall.push_back(sample.wall);
      call.push_back(sample.call);
      cpu.push_back(sample.cpu);
      lookup.push_back(std::chrono::duration<double, std::micro>(sample.counts.uniformLookupTime).count());
      own.push_back(sample.call * 1e3 -
                    std::chrono::duration<double, std::micro>(sample.counts.insideGl).count());
      counts = sample.counts;
    }
    const float musicTime = prepareFrame(sceneSeconds[scene] + (warmUpFrames + frames) / 60.0);
    glFinish();
    bench::startBreakdown();
    tessaly::demo::renderFrame(app::frameInputs(), musicTime);
    const bench::GpuBreakdown gpu = bench::stopBreakdown();

    std::printf("scene %d wall_ms %.3f call_ms %.3f cpu_ms %.3f gl_calls %lld uniform_lookups %lld "
                "draws %lld lookup_us %.2f own_us %.2f scene_draw_ms %.2f blur_draw_ms %.2f "
                "composite_draw_ms %.2f resolve_ms %.2f mipmap_ms %.2f present_ms %.2f\n",
                scene, median(wall), median(call), median(cpu),
                static_cast<long long>(counts.calls), static_cast<long long>(counts.uniformLookups),
                static_cast<long long>(counts.draws), median(lookup), median(own),
                ms(gpu.sceneDrawing), ms(gpu.blurDrawing), ms(gpu.compositeDrawing),
                ms(gpu.resolves), ms(gpu.mipmaps), ms(gpu.present));
    std::fflush(stdout);
  }
  return 0;
}

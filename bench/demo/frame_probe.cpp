// Frames of the production (build/Data) through the player's frame driver
// in a fresh process with a window of a given size, timed and counted, for
// frame_gpu_bench. Benchmark-only.
//
//   frame_probe [--size WxH] [--no-multisampling] [--frames N]
//
// The player's start-up without dialog and music (a visible window, no
// vertical sync), the soundtrack opened as a clock the probe sets, then for
// each scene two rounds to warm up (the driver compiles its shader variants
// on first use) and N measured rounds, 1/60 s of music apart from the
// scene's moment. A round draws the frame twice: "before", with the filter
// chain's result-preserving savings off (the passes exactly as first
// written), and "after", with them on.
//
// Two lines per scene on stdout, each value the median over the N rounds:
//   scene <n> variant <before|after>
//   wall_ms <renderFrame with all its GPU work, glFinish to glFinish>
//   call_ms <the renderFrame call alone> cpu_ms <main thread CPU in the call>
//   gl_calls <n> uniform_lookups <n> draws <n> lookup_us <inside
//   glGetUniformLocation> own_us <the call's time outside every GL call>
//   lookup_pct <(lookup_us + own_us) / cpu_ms, per frame>
// and, from one more round with the breakdown of the GL call counter on,
//   scene_draw_ms blur_draw_ms composite_draw_ms resolve_ms mipmap_ms present_ms
#include "app/show.h"
#include "app/window.h"
#include "bench/support/gl_call_counter.h"
#include "platform/error_box.h"
#include "render/gl.h"
#include "render/post_filter.h"

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

// The probe's show, started in main.
app::Show show;

// The frame driver's frame and its present.
void renderFrame(float musicTime) {
  app::drawShowFrame(show, musicTime);
  app::presentFrame();
}

struct FrameSample {
  double wall = 0;
  double call = 0;
  double cpu = 0;
  bench::GlCallCounts counts;
};

// Sets the clock and the frame inputs for the frame at `seconds`; returns
// the music time the frame is drawn for.
float prepareFrame(double seconds) {
  show.music.setSeconds(seconds);
  show.inputs.currentRow = show.music.row();
  show.music.fetchSpectrum(show.inputs.spectrum.data());
  return show.music.seconds();
}

double ms(std::chrono::nanoseconds spent) {
  return std::chrono::duration<double, std::milli>(spent).count();
}

FrameSample renderOne(double seconds) {
  const float musicTime = prepareFrame(seconds);
  FrameSample sample;
  glFinish();
  const auto start = Clock::now();
  const double cpuStart = threadCpuMilliseconds();
  bench::startCounting();
  renderFrame(musicTime);
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
    } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc &&
               std::sscanf(argv[i + 1], "%dx%d", &width, &height) == 2) {
      ++i;
    } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc &&
               std::sscanf(argv[i + 1], "%d", &frames) == 1 && frames > 0) {
      ++i;
    } else {
      std::fprintf(stderr, "usage: frame_probe [--size WxH] [--no-multisampling] [--frames N]\n");
      return 2;
    }
  }
  tessaly::platform::setErrorSink(tessaly::platform::printErrorOnly);
  app::DemoConfig& config = show.config;
  config.width = width;
  config.height = height;
  config.fullscreen = 0;
  config.verticalSync = 0;
  config.multisampling = multisampling;
  app::ShowOptions options;
  options.music = app::ShowMusic::capture;
  options.watchData = false;
  if (!app::startShow(show, options)) {
    return 1;
  }
  bench::installGlCallCounter();

  // "before" (the passes as first written) and "after" (with the chain's
  // savings) take turns frame by frame, so both meet the same load.
  const tessaly::render::PassSavings variants[2] = {tessaly::render::PassSavings::none(),
                                                    tessaly::render::PassSavings{}};
  const char* variantNames[2] = {"before", "after"};
  for (int scene = 1; scene <= 4; ++scene) {
    std::vector<double> wall[2], call[2], cpu[2], lookup[2], own[2], share[2];
    bench::GlCallCounts counts[2];
    bench::GpuBreakdown gpu[2];
    const int rounds = warmUpFrames + frames + 1;
    for (int round = 0; round < rounds; ++round) {
      for (int v = 0; v < 2; ++v) {
        show.filter->setSavings(variants[v]);
        const double seconds = sceneSeconds[scene] + round / 60.0;
        if (round == rounds - 1) {
          // The last round splits the frame's GPU time by pass.
          const float musicTime = prepareFrame(seconds);
          glFinish();
          bench::startBreakdown();
          renderFrame(musicTime);
          gpu[v] = bench::stopBreakdown();
          continue;
        }
        const FrameSample sample = renderOne(seconds);
        if (round < warmUpFrames) {
          continue;
        }
        const double lookupUs =
            std::chrono::duration<double, std::micro>(sample.counts.uniformLookupTime).count();
        const double ownUs =
            sample.call * 1e3 -
            std::chrono::duration<double, std::micro>(sample.counts.insideGl).count();
        wall[v].push_back(sample.wall);
        call[v].push_back(sample.call);
        cpu[v].push_back(sample.cpu);
        lookup[v].push_back(lookupUs);
        own[v].push_back(ownUs);
        share[v].push_back(sample.cpu > 0 ? 0.1 * (lookupUs + ownUs) / sample.cpu : 0.0);
        counts[v] = sample.counts;
      }
    }
    for (int v = 0; v < 2; ++v) {
      std::printf("scene %d variant %s wall_ms %.3f call_ms %.3f cpu_ms %.3f gl_calls %lld "
                  "uniform_lookups %lld draws %lld lookup_us %.2f own_us %.2f lookup_pct %.3f "
                  "scene_draw_ms %.2f blur_draw_ms %.2f composite_draw_ms %.2f resolve_ms %.2f "
                  "mipmap_ms %.2f present_ms %.2f\n",
                  scene, variantNames[v], median(wall[v]), median(call[v]), median(cpu[v]),
                  static_cast<long long>(counts[v].calls),
                  static_cast<long long>(counts[v].uniformLookups),
                  static_cast<long long>(counts[v].draws), median(lookup[v]), median(own[v]),
                  median(share[v]), ms(gpu[v].sceneDrawing), ms(gpu[v].blurDrawing),
                  ms(gpu[v].compositeDrawing), ms(gpu[v].resolves), ms(gpu[v].mipmaps),
                  ms(gpu[v].present));
    }
    std::fflush(stdout);
  }
  return 0;
}

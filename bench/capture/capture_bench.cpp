// tessaly-capture's render of a span at 640x360 with multisampling (what
// the default headless `make play` renders), N frames spread over the
// show, through both paths in the same run:
// - sync: the synchronous read-back (FrameCapture::capture), the frame then
//   turned and written on the render thread, as the capture did before;
// - pipeline: FramePipeline, the read-back through a ring of pixel buffer
//   objects and the writing on a worker thread.
// With encoder=1 each frame goes down the pipe of a real ffmpeg making an
// H.264 file (as `make play` does); with encoder=0 the frames are only read
// back, which isolates the render and read-back overlap. Counters: frames
// per second of each path and their ratio (pipeline over sync).
#include "platform/error_box.h"
#include "tools/capture/capture_frames.h"
#include "tools/capture/frame_pipeline.h"
#include "tools/capture/video_encoder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

using tessaly::capture::FrameCapture;
using tessaly::capture::FramePipeline;
using tessaly::capture::Image;
using tessaly::capture::VideoEncoder;
using tessaly::capture::VideoSettings;

constexpr int width = 640;
constexpr int height = 360;
constexpr int frameCount = 48;
constexpr int fps = 24;

FrameCapture* capture() {
  static FrameCapture* const started = [] {
    std::filesystem::current_path(TESSALY_BINARY_DIR);
    tessaly::platform::setErrorSink(tessaly::platform::printErrorOnly);
    auto* made = new FrameCapture;
    return made->start(width, height, true) ? made : nullptr;
  }();
  return started;
}

// The frames' times: spread over the show, every scene in its share.
double timeOf(int i) { return 1.0 + i * 79.0 / frameCount; }

// An ffmpeg making an H.264 file of the frames in a scratch folder, or
// nothing (encoder=0, or no ffmpeg).
struct Encoder {
  std::optional<VideoEncoder> video;
  std::string path;

  bool start(const std::string& ffmpeg) {
    path = (std::filesystem::temp_directory_path() / "tessaly-capture-bench.mp4").string();
    VideoSettings settings;
    settings.output = path;
    settings.width = width;
    settings.height = height;
    settings.fps = fps;
    video.emplace();
    return video->start(ffmpeg, settings);
  }
  bool write(const Image& frame) { return !video || video->write(frame); }
  bool finish() {
    const bool done = !video || video->finish();
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove(path, ignored);
    return done;
  }
};

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void CaptureThroughput(benchmark::State& state) {
  if (capture() == nullptr) {
    state.SkipWithError("no GL window or no usable build/Data");
    return;
  }
  const bool encode = state.range(0) != 0;
  std::string ffmpeg;
  if (encode) {
    const auto found = tessaly::capture::findOnPath("ffmpeg");
    if (!found) {
      state.SkipWithError("ffmpeg not found");
      return;
    }
    ffmpeg = *found;
  }
  double syncTime = 0.0;
  double pipelineTime = 0.0;
  for (auto _ : state) {
    {
      Encoder encoder;
      if (encode && !encoder.start(ffmpeg)) {
        state.SkipWithError("ffmpeg cannot be started");
        return;
      }
      const auto start = std::chrono::steady_clock::now();
      Image frame;
      for (int i = 0; i < frameCount; ++i) {
        capture()->capture(timeOf(i), frame);
        encoder.write(frame);
      }
      encoder.finish();
      syncTime += seconds(start);
    }
    {
      Encoder encoder;
      if (encode && !encoder.start(ffmpeg)) {
        state.SkipWithError("ffmpeg cannot be started");
        return;
      }
      const auto start = std::chrono::steady_clock::now();
      FramePipeline pipeline(*capture(),
                             [&](long, Image& frame) { return encoder.write(frame); });
      for (int i = 0; i < frameCount; ++i) {
        pipeline.submit(i, timeOf(i));
      }
      pipeline.finish();
      encoder.finish();
      pipelineTime += seconds(start);
    }
  }
  const double frames = static_cast<double>(frameCount) * static_cast<double>(state.iterations());
  state.counters["sync_fps"] = frames / syncTime;
  state.counters["pipeline_fps"] = frames / pipelineTime;
  state.counters["ratio"] = syncTime / pipelineTime;
  state.counters["frames"] = frameCount;
}
BENCHMARK(CaptureThroughput)
    ->ArgName("encoder")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(2)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

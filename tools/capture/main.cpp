// tessaly-capture: renders the production in ./Data at a fixed time base,
// to PNG stills, a contact sheet or an H.264 video with its soundtrack.
// Exit status 0 on success, 1 when Data/ is unusable, ffmpeg is missing or
// an output cannot be written, 2 on bad usage, 128 + the signal after
// SIGTERM or SIGINT (the frame in hand is finished, an unfinished video
// removed).
#include "app/show.h"
#include "platform/error_box.h"
#include "platform/termination.h"
#include "tools/capture/capture_frames.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/contact_sheet.h"
#include "tools/capture/progress.h"
#include "tools/capture/video_encoder.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::capture {
namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

// True once SIGTERM or SIGINT asked the capture to stop.
bool stopping() { return platform::terminationSignal() != 0; }

int fail(const std::string& message) {
  std::fprintf(stderr, "tessaly-capture: %s\n", message.c_str());
  return exitFailure;
}

// Why ./Data cannot be rendered from, or nothing when it can be listed. A
// folder that cannot be read would otherwise show only as every file
// missing, after start-up has waited for its shaders.
std::optional<std::string> dataFolderProblem() {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status("Data", error);
  if (status.type() == fs::file_type::not_found) {
    return "no Data/ folder in the current directory";
  }
  if (!error && !fs::is_directory(status)) {
    return "Data in the current directory is not a folder";
  }
  if (!error) {
    fs::directory_iterator listing("Data", error);
  }
  if (error) {
    return "cannot read Data/: " + error.message();
  }
  return std::nullopt;
}

int captureStills(FrameCapture& capture, const CaptureOptions& options) {
  const int total = static_cast<int>(options.stillTimes.size());
  ProgressBar progress(total);
  Image frame;
  for (int i = 0; i < total && !stopping(); ++i) {
    capture.capture(options.stillTimes[static_cast<std::size_t>(i)], frame);
    const std::string path = *stillFileName(options.output, i + 1, total);
    if (!writePng(path, frame)) {
      progress.finish();
      return fail("cannot write " + path);
    }
    progress.update(i + 1);
  }
  progress.finish();
  return 0;
}

int captureSheet(FrameCapture& capture, const CaptureOptions& options) {
  const FrameSpan span = frameSpan(options.from, options.to, options.fps);
  const std::vector<long> frames = sheetFrames(span, options.count);
  const int factor = sheetShrinkFactor(options.width);
  ContactSheet sheet(options.count, options.columns, options.width / factor,
                     options.height / factor);
  ProgressBar progress(options.count);
  Image frame;
  for (int i = 0; i < options.count; ++i) {
    if (stopping()) {
      progress.finish();
      return 0;
    }
    const double seconds = frameTime(frames[static_cast<std::size_t>(i)], options.fps);
    capture.capture(seconds, frame);
    sheet.place(i, shrink(frame, factor), timeLabel(seconds));
    progress.update(i + 1);
  }
  progress.finish();
  if (!writePng(options.output, sheet.image())) {
    return fail("cannot write " + options.output);
  }
  return 0;
}

int captureVideo(FrameCapture& capture, const CaptureOptions& options, const std::string& ffmpeg) {
  const FrameSpan span = frameSpan(options.from, options.to, options.fps);
  VideoSettings settings;
  settings.output = options.output;
  settings.width = options.width;
  settings.height = options.height;
  settings.fps = options.fps;
  if (capture.soundtrackReady()) {
    settings.soundtrack = app::musicFileName;
  } else {
    std::fprintf(stderr,
                 "tessaly-capture: the soundtrack cannot be read; the video has no sound\n");
  }
  settings.audioStart = frameTime(span.firstFrame, options.fps);
  settings.duration = static_cast<double>(span.frameCount) / options.fps;

  VideoEncoder encoder;
  if (!encoder.start(ffmpeg, settings)) {
    return fail(encoder.error());
  }
  ProgressBar progress(span.frameCount);
  Image frame;
  for (long i = 0; i < span.frameCount; ++i) {
    if (stopping()) {
      // A video cut short is not a video: ffmpeg is ended, its file removed.
      progress.finish();
      encoder.abandon();
      std::error_code ignored;
      std::filesystem::remove(options.output, ignored);
      return 0;
    }
    capture.capture(frameTime(span.firstFrame + i, options.fps), frame);
    if (!encoder.write(frame)) {
      progress.finish();
      if (stopping()) {
        encoder.abandon();
        std::error_code ignored;
        std::filesystem::remove(options.output, ignored);
        return 0;
      }
      encoder.finish();
      return fail(encoder.error());
    }
    progress.update(i + 1);
  }
  progress.finish();
  if (!encoder.finish()) {
    return fail(encoder.error());
  }
  return 0;
}

int run(const std::vector<std::string>& arguments) {
  platform::installTerminationHandlers();
  const ParseResult parsed = parseOptions(arguments);
  if (parsed.options.help) {
    std::fputs(usageText(), stdout);
    return 0;
  }
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "tessaly-capture: %s\n%s", parsed.error.c_str(), usageText());
    return exitUsage;
  }
  const CaptureOptions& options = parsed.options;

  if (const auto problem = dataFolderProblem()) {
    return fail(*problem);
  }
  std::string ffmpeg;
  if (options.mode == OutputMode::video) {
    const auto found = findOnPath("ffmpeg");
    if (!found) {
      return fail("ffmpeg not found on PATH (install the ffmpeg package)");
    }
    ffmpeg = *found;
  }

  // Nobody is there to press OK: messages go to stderr only.
  platform::setErrorSink(platform::printErrorOnly);
  FrameCapture capture;
  if (!capture.start(options.width, options.height, options.multisampling)) {
    if (stopping()) {
      capture.end();
      return platform::terminationExitStatus(exitFailure);
    }
    return fail("start-up failed: no display, or Data/ is not usable (see the messages above)");
  }

  int status = 0;
  switch (options.mode) {
    case OutputMode::stills:
      status = captureStills(capture, options);
      break;
    case OutputMode::sheet:
      status = captureSheet(capture, options);
      break;
    case OutputMode::video:
      status = captureVideo(capture, options, ffmpeg);
      break;
    case OutputMode::none:
      break;
  }
  capture.end();
  return platform::terminationExitStatus(status);
}

}  // namespace
}  // namespace tessaly::capture

int main(int argc, char** argv) {
  return tessaly::capture::run(std::vector<std::string>(argv + 1, argv + argc));
}

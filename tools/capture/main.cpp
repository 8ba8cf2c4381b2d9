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

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
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

// Why the pictures asked for cannot be written as PNG, or nothing.
std::optional<std::string> outputSizeProblem(const CaptureOptions& options) {
  if (options.mode == OutputMode::stills) {
    if (const auto problem = pngSizeProblem(options.width, options.height)) {
      return "cannot write " + options.output + ": " + *problem;
    }
  } else if (options.mode == OutputMode::sheet) {
    const int factor = sheetShrinkFactor(options.width);
    const int columns = std::max(1, std::min(options.columns, options.count));
    const auto [width, height] = ContactSheet::size(options.count, options.columns,
                                                    options.width / factor, options.height / factor);
    if (const auto problem = pngSizeProblem(width, height)) {
      return "cannot write " + options.output + ": a sheet of " + std::to_string(options.count) +
             " frames of " + std::to_string(options.width / factor) + "x" +
             std::to_string(options.height / factor) + " in " +
             std::to_string(columns) + (columns == 1 ? " column" : " columns") + " would be " +
             *problem + "; use fewer frames, more columns or a smaller --size";
    }
  }
  return std::nullopt;
}

// The last line after a failed start-up, from the messages it showed.
std::string startupFailure(const std::vector<std::string>& shown, const CaptureOptions& options) {
  const auto said = [&](std::string_view part) {
    return std::any_of(shown.begin(), shown.end(), [&](const std::string& message) {
      return message.find(part) != std::string::npos;
    });
  };
  if (said("Unable to initialize GLFW!")) {
    return "start-up failed: no display could be opened (run under X, or with xvfb-run -a)";
  }
  if (said("FBO!")) {
    return "start-up failed: OpenGL cannot make render targets of " + std::to_string(options.width) +
           "x" + std::to_string(options.height) + " here; try a smaller --size";
  }
  return "start-up failed (see the messages above)";
}

int captureStills(FrameCapture& capture, const CaptureOptions& options) {
  const int total = static_cast<int>(options.stillTimes.size());
  ProgressBar progress(total);
  Image frame;
  for (int i = 0; i < total && !stopping(); ++i) {
    capture.capture(options.stillTimes[static_cast<std::size_t>(i)], frame);
    const std::string path = *stillFileName(options.output, i + 1, total);
    if (const std::string reason = writePng(path, frame); !reason.empty()) {
      progress.finish();
      return fail("cannot write " + path + ": " + reason);
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
  if (const std::string reason = writePng(options.output, sheet.image()); !reason.empty()) {
    return fail("cannot write " + options.output + ": " + reason);
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
  // ffmpeg has created (or emptied) the output: a video it could not finish
  // is not playable, so it goes rather than staying behind as if made.
  const auto failVideo = [&](const std::string& message) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(options.output, ignored)) {
      std::filesystem::remove(options.output, ignored);
    }
    return fail(message);
  };
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
      return failVideo(encoder.error());
    }
    progress.update(i + 1);
  }
  progress.finish();
  if (!encoder.finish()) {
    return failVideo(encoder.error());
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

  // A picture too large to write is refused before any frame is rendered.
  if (const auto problem = outputSizeProblem(options)) {
    return fail(*problem);
  }
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

  // Nobody is there to press OK: messages go to stderr only. They are kept
  // too, so that a failed start-up can be summed up by its real cause.
  std::vector<std::string> shown;
  platform::setErrorSink([&shown](std::string_view text) {
    shown.emplace_back(text);
    platform::printErrorOnly(text);
  });
  FrameCapture capture;
  const bool started = capture.start(options.width, options.height, options.multisampling);
  platform::setErrorSink(platform::printErrorOnly);  // `shown` is not kept past start-up
  if (!started) {
    if (stopping()) {
      capture.end();
      return platform::terminationExitStatus(exitFailure);
    }
    return fail(startupFailure(shown, options));
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

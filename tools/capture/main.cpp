// tessaly-capture: renders the production in ./Data at a fixed time base,
// to PNG or JPEG stills, a contact sheet, an image sequence or an H.264
// video with its soundtrack (the last three from one render). The frames
// are rendered on the main thread and read back through pixel buffer
// objects; the encoding and writing happen on a worker thread.
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
#include "tools/capture/frame_pipeline.h"
#include "tools/capture/progress.h"
#include "tools/capture/video_encoder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <cstdio>
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

// Writes the picture in the format its name asks for.
std::string writePicture(const std::string& path, const Image& image) {
  return pictureFormat(path) == PictureFormat::jpeg ? writeJpeg(path, image)
                                                     : writePng(path, image);
}

// Why a picture of width x height cannot be written to `path`, or nothing.
std::optional<std::string> pictureSizeProblem(const std::string& path, long long width,
                                              long long height) {
  return pictureFormat(path) == PictureFormat::jpeg ? jpegSizeProblem(width, height)
                                                     : pngSizeProblem(width, height);
}

// A path as the final lines name it: absolute, so it is found whatever the
// folder the capture ran in.
std::string shownPath(const std::string& path) {
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  return absolute.empty() ? path : absolute.lexically_normal().string();
}

std::string sizeText(const CaptureOptions& options) {
  return std::to_string(options.width) + "x" + std::to_string(options.height);
}

// Why the pictures asked for cannot be written, or nothing.
std::optional<std::string> outputSizeProblem(const CaptureOptions& options) {
  const auto frameProblem = [&](const std::string& path) -> std::optional<std::string> {
    if (const auto problem = pictureSizeProblem(path, options.width, options.height)) {
      return "cannot write " + path + ": " + *problem;
    }
    return std::nullopt;
  };
  if (options.mode == OutputMode::stills) {
    return frameProblem(options.output);
  }
  if (!options.frames.empty()) {
    if (auto problem = frameProblem(options.frames)) return problem;
  }
  if (!options.sheet.empty()) {
    const int factor = sheetShrinkFactor(options.width);
    const int columns = std::max(1, std::min(options.columns, options.count));
    const auto [width, height] = ContactSheet::size(options.count, options.columns,
                                                    options.width / factor, options.height / factor);
    if (const auto problem = pictureSizeProblem(options.sheet, width, height)) {
      return "cannot write " + options.sheet + ": a sheet of " + std::to_string(options.count) +
             " frames of " + std::to_string(options.width / factor) + "x" +
             std::to_string(options.height / factor) + " in " +
             std::to_string(columns) + (columns == 1 ? " column" : " columns") + " would be " +
             *problem + "; use fewer frames, more columns or a smaller --size";
    }
  }
  return std::nullopt;
}

// Makes the folder an image sequence goes into; the reason when it cannot.
std::optional<std::string> makeFramesFolder(const CaptureOptions& options) {
  const FrameSpan span = frameSpan(options.from, options.to, options.fps);
  const std::string first = *stillFileName(options.frames, span.firstFrame, span.frameCount);
  const std::filesystem::path folder = std::filesystem::path(first).parent_path();
  if (folder.empty()) {
    return std::nullopt;
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    return "cannot make the folder " + folder.string() + " for --frames: " + error.message();
  }
  return std::nullopt;
}

// The last line after a failed start-up: the step that failed and, where
// the messages tell, why.
std::string startupFailure(const std::vector<std::string>& shown, const CaptureOptions& options,
                           app::StartupStep step) {
  const auto said = [&](std::string_view part) {
    return std::any_of(shown.begin(), shown.end(), [&](const std::string& message) {
      return message.find(part) != std::string::npos;
    });
  };
  if (said("Unable to initialize GLFW!")) {
    return "start-up failed at the window: no display could be opened (run under X, or with "
           "xvfb-run -a)";
  }
  if (said("FBO!")) {
    return "start-up failed at the filter chain: OpenGL cannot make render targets of " +
           sizeText(options) + " here; try a smaller --size";
  }
  switch (step) {
    case app::StartupStep::window:
      return "start-up failed at the window: no OpenGL 3.3 core window of " + sizeText(options) +
             " (see the messages above)";
    case app::StartupStep::glew:
      return "start-up failed at the OpenGL entry points (see the messages above)";
    case app::StartupStep::renderState:
      return "start-up failed at the filter chain: its render targets or its shaders "
             "Data/Shaders/Filters.vert and Filters.frag (see the messages above)";
    case app::StartupStep::shaderSet:
      return "start-up failed at the shader set: a shader pair of the show in Data/Shaders/ (see "
             "the messages above)";
    case app::StartupStep::tracks:
      return "start-up failed at the sync tracks in Data/Rocket/ (see the messages above)";
    default:
      return "start-up failed (see the messages above)";
  }
}

int captureStills(FrameCapture& capture, const CaptureOptions& options) {
  const long total = static_cast<long>(options.stillTimes.size());
  ProgressBar progress(total);
  std::string failure;
  FramePipeline pipeline(capture, [&](long number, Image& frame) {
    const std::string path = *stillFileName(options.output, number + 1, total);
    if (const std::string reason = writePicture(path, frame); !reason.empty()) {
      failure = "cannot write " + path + ": " + reason;
      return false;
    }
    progress.update(number + 1);
    return true;
  });
  for (long i = 0; i < total; ++i) {
    if (stopping()) {
      pipeline.abandon();
      progress.finish();
      return 0;
    }
    if (!pipeline.submit(i, options.stillTimes[static_cast<std::size_t>(i)])) break;
  }
  const bool written = pipeline.finish();
  progress.finish();
  if (!written) {
    return fail(failure);
  }
  if (stopping()) {
    return 0;
  }
  if (total == 1) {
    std::printf("tessaly-capture: wrote %s (%s)\n", shownPath(options.output).c_str(),
                sizeText(options).c_str());
  } else {
    std::printf("tessaly-capture: wrote %ld pictures (%s): %s to %s\n", total,
                sizeText(options).c_str(),
                shownPath(*stillFileName(options.output, 1, total)).c_str(),
                shownPath(*stillFileName(options.output, total, total)).c_str());
  }
  return 0;
}

// What a capture of a span writes, each frame taken in order on the
// pipeline's worker: the video (frames down ffmpeg's pipe), the contact
// sheet (the frames it shows, shrunk into place) and the image sequence.
class SpanOutputs {
 public:
  // `rendered` frames will be taken.
  SpanOutputs(const CaptureOptions& options, const FrameSpan& span, long rendered)
      : options_(options), span_(span), progress_(rendered) {
    if (!options.sheet.empty()) {
      sheetFrames_ = sheetFrames(span, options.count);
      factor_ = sheetShrinkFactor(options.width);
      sheet_.emplace(options.count, options.columns, options.width / factor_,
                     options.height / factor_);
    }
  }

  // Starts ffmpeg for a video; false and error() when it cannot be.
  bool start(FrameCapture& capture, const std::string& ffmpeg) {
    if (options_.video.empty()) {
      return true;
    }
    VideoSettings settings;
    settings.output = options_.video;
    settings.width = options_.width;
    settings.height = options_.height;
    settings.fps = options_.fps;
    if (capture.soundtrackReady()) {
      settings.soundtrack = app::musicFileName;
      withSound_ = true;
    } else {
      std::fprintf(stderr,
                   "tessaly-capture: the soundtrack cannot be read; the video has no sound\n");
    }
    settings.audioStart = frameTime(span_.firstFrame, options_.fps);
    settings.duration = static_cast<double>(span_.frameCount) / options_.fps;
    if (!encoder_.start(ffmpeg, settings)) {
      error_ = encoder_.error();
      return false;
    }
    // ffmpeg has created (or emptied) the output: a video it could not
    // finish is not playable, so it goes rather than staying behind.
    videoStarted_ = true;
    return true;
  }

  // Takes frame `number` of the show (on the worker thread).
  bool take(long number, Image& frame) {
    if (!options_.frames.empty()) {
      const std::string path = *stillFileName(options_.frames, number, span_.frameCount);
      if (const std::string reason = writePicture(path, frame); !reason.empty()) {
        error_ = "cannot write " + path + ": " + reason;
        return false;
      }
    }
    while (sheet_ && nextThumbnail_ < sheetFrames_.size() &&
           sheetFrames_[nextThumbnail_] == number) {
      sheet_->place(static_cast<int>(nextThumbnail_), shrink(frame, factor_),
                    timeLabel(frameTime(number, options_.fps)));
      ++nextThumbnail_;
    }
    if (videoStarted_ && !encoder_.write(frame)) {
      error_ = encoder_.error();
      return false;
    }
    progress_.update(++taken_);
    return true;
  }

  // After the last frame: the video finished, the sheet written.
  bool finish() {
    progress_.finish();
    if (videoStarted_ && !encoder_.finish()) {
      error_ = encoder_.error();
      removeVideo();
      return false;
    }
    if (sheet_) {
      if (const std::string reason = writePicture(options_.sheet, sheet_->image());
          !reason.empty()) {
        error_ = "cannot write " + options_.sheet + ": " + reason;
        return false;
      }
    }
    return true;
  }

  // Cut short (a signal or a failure): ffmpeg ended, its file removed.
  void abandon() {
    progress_.finish();
    if (videoStarted_) {
      encoder_.abandon();
      removeVideo();
    }
  }

  // The final lines: what was written where.
  void report() const {
    const double seconds = static_cast<double>(span_.frameCount) / options_.fps;
    const double from = frameTime(span_.firstFrame, options_.fps);
    if (!options_.video.empty()) {
      std::printf("tessaly-capture: wrote %s: %ld frames of %s at %d fps, %.2f s to %.2f s, %s\n",
                  shownPath(options_.video).c_str(), span_.frameCount,
                  sizeText(options_).c_str(), options_.fps, from, from + seconds,
                  withSound_ ? "with the soundtrack" : "without sound");
    }
    if (!options_.sheet.empty()) {
      std::printf("tessaly-capture: wrote %s: a contact sheet of %d frames\n",
                  shownPath(options_.sheet).c_str(), options_.count);
    }
    if (!options_.frames.empty()) {
      const long last = span_.firstFrame + span_.frameCount - 1;
      std::printf("tessaly-capture: wrote %ld frames of %s: %s to %s\n", span_.frameCount,
                  sizeText(options_).c_str(),
                  shownPath(*stillFileName(options_.frames, span_.firstFrame, span_.frameCount))
                      .c_str(),
                  shownPath(*stillFileName(options_.frames, last, span_.frameCount)).c_str());
    }
  }

  const std::string& error() const { return error_; }

 private:
  void removeVideo() {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(options_.video, ignored)) {
      std::filesystem::remove(options_.video, ignored);
    }
  }

  const CaptureOptions& options_;
  FrameSpan span_;
  ProgressBar progress_;
  VideoEncoder encoder_;
  bool videoStarted_ = false;
  bool withSound_ = false;
  std::optional<ContactSheet> sheet_;
  std::vector<long> sheetFrames_;
  std::size_t nextThumbnail_ = 0;
  long taken_ = 0;
  int factor_ = 1;
  std::string error_;
};

int captureSpan(FrameCapture& capture, const CaptureOptions& options, const std::string& ffmpeg) {
  const FrameSpan span = frameSpan(options.from, options.to, options.fps);
  // A video or an image sequence needs every frame of the span; a sheet
  // alone only those it shows.
  std::vector<long> frames;
  if (options.video.empty() && options.frames.empty()) {
    frames = sheetFrames(span, options.count);
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
  } else {
    frames.resize(static_cast<std::size_t>(span.frameCount));
    for (long i = 0; i < span.frameCount; ++i) {
      frames[static_cast<std::size_t>(i)] = span.firstFrame + i;
    }
  }
  SpanOutputs outputs(options, span, static_cast<long>(frames.size()));
  if (!outputs.start(capture, ffmpeg)) {
    return fail(outputs.error());
  }
  FramePipeline pipeline(capture,
                         [&](long number, Image& frame) { return outputs.take(number, frame); });
  for (const long number : frames) {
    if (stopping()) {
      break;
    }
    if (!pipeline.submit(number, frameTime(number, options.fps))) {
      break;
    }
  }
  if (stopping()) {
    // A video cut short is not a video: ffmpeg is ended, its file removed.
    pipeline.abandon();
    outputs.abandon();
    return 0;
  }
  if (!pipeline.finish()) {
    outputs.abandon();
    return stopping() ? 0 : fail(outputs.error());
  }
  if (stopping()) {
    outputs.abandon();
    return 0;
  }
  if (!outputs.finish()) {
    return fail(outputs.error());
  }
  outputs.report();
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
  for (const std::string& warning : parsed.warnings) {
    std::fprintf(stderr, "tessaly-capture: warning: %s\n", warning.c_str());
  }

  // A picture too large to write is refused before any frame is rendered.
  if (const auto problem = outputSizeProblem(options)) {
    return fail(*problem);
  }
  if (const auto problem = dataFolderProblem()) {
    return fail(*problem);
  }
  if (!options.frames.empty()) {
    if (const auto problem = makeFramesFolder(options)) {
      return fail(*problem);
    }
  }
  std::string ffmpeg;
  if (!options.video.empty()) {
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
    return fail(startupFailure(shown, options, capture.failedStep()));
  }

  const int status = options.mode == OutputMode::stills ? captureStills(capture, options)
                                                        : captureSpan(capture, options, ffmpeg);
  capture.end();
  return platform::terminationExitStatus(status);
}

}  // namespace
}  // namespace tessaly::capture

int main(int argc, char** argv) {
  return tessaly::capture::run(std::vector<std::string>(argv + 1, argv + argc));
}

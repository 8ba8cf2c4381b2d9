// H.264 video through an ffmpeg child process: raw RGBA frames go down a
// pipe, the soundtrack is muxed in, cut to the captured span.
#pragma once

#include "tools/capture/image.h"

#include <chrono>

#include <optional>
#include <string>
#include <vector>

namespace tessaly::capture {

// The full path of `program` found on PATH (an executable regular file), or
// nothing.
std::optional<std::string> findOnPath(const std::string& program);

struct VideoSettings {
  std::string output;  // the .mp4 file
  int width = 0;
  int height = 0;
  int fps = 60;
  std::string soundtrack;   // empty: no audio stream
  double audioStart = 0.0;  // seconds into the soundtrack of the first frame
  double duration = 0.0;    // seconds of sound: frame count / fps
};

// ffmpeg's arguments (without the program name) for these settings.
std::vector<std::string> ffmpegArguments(const VideoSettings& settings);

// How long the encoder waits on ffmpeg before it gives up on it.
struct EncoderPatience {
  // With no byte of a frame taken for this long, ffmpeg has stopped reading.
  std::chrono::milliseconds frameStall{std::chrono::seconds(60)};
  // After the last frame, ffmpeg has this long to finish the file.
  std::chrono::milliseconds finishing{std::chrono::minutes(10)};
};

class VideoEncoder {
 public:
  explicit VideoEncoder(EncoderPatience patience = {}) : patience_(patience) {}
  ~VideoEncoder();  // ends ffmpeg if it still runs
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;

  // Starts `ffmpeg` (a path) with the settings; false and `error()` when it
  // cannot be started.
  bool start(const std::string& ffmpeg, const VideoSettings& settings);
  // Sends one frame (top row first, the size given to start); false when
  // ffmpeg no longer takes frames, has taken nothing for
  // patience.frameStall, or a signal arrived while waiting on it (then
  // platform::terminationSignal() says which).
  bool write(const Image& frame);
  // Closes the pipe and waits for ffmpeg (at most patience.finishing, then
  // it is killed); false when it failed or took too long.
  bool finish();
  // Ends ffmpeg without waiting for a finished file.
  void abandon();

  const std::string& error() const { return error_; }

 private:
  EncoderPatience patience_;
  int pid_ = -1;
  int pipe_ = -1;
  std::string error_;
};

}  // namespace tessaly::capture

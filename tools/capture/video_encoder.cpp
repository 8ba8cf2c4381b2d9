// The ffmpeg child process of a video capture.
#include "tools/capture/video_encoder.h"

#include "platform/termination.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace tessaly::capture {

namespace {

using Clock = std::chrono::steady_clock;

std::string seconds(std::chrono::milliseconds span) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", static_cast<double>(span.count()) / 1000.0);
  return text;
}

std::string number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

}  // namespace

std::optional<std::string> findOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr || program.empty()) {
    return std::nullopt;
  }
  std::string directories = path;
  std::size_t start = 0;
  while (start <= directories.size()) {
    std::size_t colon = directories.find(':', start);
    if (colon == std::string::npos) colon = directories.size();
    std::string directory = directories.substr(start, colon - start);
    if (directory.empty()) directory = ".";
    const std::string candidate = directory + "/" + program;
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = colon + 1;
  }
  return std::nullopt;
}

std::vector<std::string> ffmpegArguments(const VideoSettings& settings) {
  std::vector<std::string> args = {
      "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
      // The frames, as they come down the pipe.
      "-f", "rawvideo", "-pix_fmt", "rgba", "-video_size",
      std::to_string(settings.width) + "x" + std::to_string(settings.height), "-framerate",
      std::to_string(settings.fps), "-i", "pipe:0"};
  if (!settings.soundtrack.empty()) {
    // The sound of the captured span only.
    args.insert(args.end(), {"-ss", number(settings.audioStart), "-t", number(settings.duration),
                             "-i", settings.soundtrack});
  }
  args.insert(args.end(), {"-map", "0:v"});
  if (!settings.soundtrack.empty()) {
    args.insert(args.end(), {"-map", "1:a", "-c:a", "aac", "-b:a", "192k"});
  }
  // H.264 in 4:2:0 wants even sides: odd ones get one black line.
  args.insert(args.end(),
              {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2", "-c:v", "libx264", "-preset", "medium",
               "-crf", "18", "-pix_fmt", "yuv420p", "-movflags", "+faststart", settings.output});
  return args;
}

VideoEncoder::~VideoEncoder() { abandon(); }

void VideoEncoder::abandon() {
  if (pipe_ >= 0) {
    close(pipe_);
    pipe_ = -1;
  }
  if (pid_ > 0) {
    // SIGKILL: an ffmpeg that stopped reading may not listen to SIGTERM.
    kill(pid_, SIGKILL);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
  }
}

bool VideoEncoder::start(const std::string& ffmpeg, const VideoSettings& settings) {
  // A writer whose reader has gone must see an error, not a signal.
  signal(SIGPIPE, SIG_IGN);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    error_ = std::string("cannot make a pipe: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

  std::vector<std::string> args = ffmpegArguments(settings);
  args.insert(args.begin(), ffmpeg);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  pid_t pid = -1;
  const int result = posix_spawn(&pid, ffmpeg.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[0]);
  if (result != 0) {
    close(fds[1]);
    error_ = "cannot start " + ffmpeg + ": " + std::strerror(result);
    return false;
  }
  pid_ = pid;
  pipe_ = fds[1];
  // Writes never block: a stalled ffmpeg is noticed by the wait in write().
  fcntl(pipe_, F_SETFL, fcntl(pipe_, F_GETFL) | O_NONBLOCK);
  return true;
}

bool VideoEncoder::write(const Image& frame) {
  if (pipe_ < 0) {
    error_ = "ffmpeg is not running";
    return false;
  }
  const std::uint8_t* data = frame.rgba.data();
  std::size_t left = frame.rgba.size();
  // The stall is counted from the last byte ffmpeg took.
  Clock::time_point lastProgress = Clock::now();
  while (left > 0) {
    const ssize_t written = ::write(pipe_, data, left);
    if (written > 0) {
      data += written;
      left -= static_cast<std::size_t>(written);
      lastProgress = Clock::now();
      continue;
    }
    if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      error_ = "ffmpeg stopped taking frames";
      return false;
    }
    if (platform::terminationSignal() != 0) {
      error_ = "stopped by a signal";
      return false;
    }
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastProgress);
    if (waited >= patience_.frameStall) {
      error_ = "ffmpeg took no frame data for " + seconds(patience_.frameStall) +
               ": it has stopped reading, giving up";
      return false;
    }
    // Short polls, so a signal is seen soon even when none interrupts poll.
    pollfd ready{pipe_, POLLOUT, 0};
    const auto remaining = patience_.frameStall - waited;
    poll(&ready, 1, static_cast<int>(std::min<long long>(remaining.count(), 100)));
  }
  return true;
}

bool VideoEncoder::finish() {
  if (pipe_ >= 0) {
    close(pipe_);
    pipe_ = -1;
  }
  if (pid_ <= 0) {
    return false;
  }
  int status = 0;
  const Clock::time_point start = Clock::now();
  for (;;) {
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      break;
    }
    if (done < 0 && errno != EINTR) {
      pid_ = -1;
      error_ = std::string("cannot wait for ffmpeg: ") + std::strerror(errno);
      return false;
    }
    if (platform::terminationSignal() != 0) {
      abandon();
      error_ = "stopped by a signal";
      return false;
    }
    if (Clock::now() - start >= patience_.finishing) {
      abandon();
      error_ = "ffmpeg did not finish the video within " + seconds(patience_.finishing) +
               " of the last frame, giving up";
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  pid_ = -1;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    return true;
  }
  error_ = WIFEXITED(status)
               ? "ffmpeg failed with exit status " + std::to_string(WEXITSTATUS(status))
               : "ffmpeg was ended by a signal";
  return false;
}

}  // namespace tessaly::capture

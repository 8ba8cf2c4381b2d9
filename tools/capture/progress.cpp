// The progress line.
#include "tools/capture/progress.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace tessaly::capture {

namespace {

constexpr int barWidth = 24;

std::string clock(double seconds) {
  const long whole = static_cast<long>(std::lround(std::max(0.0, seconds)));
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  }
  return text;
}

}  // namespace

std::string formatProgress(long done, long total, double elapsedSeconds) {
  done = std::clamp(done, 0L, std::max(total, 0L));
  const int filled = total > 0 ? static_cast<int>(done * barWidth / total) : barWidth;
  std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(barWidth - filled), '.') + "]";
  char text[96];
  std::snprintf(text, sizeof text, "  %ld/%ld", done, total);
  line += text;
  if (done > 0 && elapsedSeconds > 0.0) {
    const double rate = done / elapsedSeconds;
    std::snprintf(text, sizeof text, "  %.1f fps  %s left", rate,
                  clock((total - done) / rate).c_str());
  } else {
    std::snprintf(text, sizeof text, "  -- fps  -- left");
  }
  line += text;
  return line;
}

ProgressBar::ProgressBar(long total, std::FILE* stream)
    : total_(total),
      stream_(stream),
      terminal_(isatty(fileno(stream)) != 0),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_) {}

void ProgressBar::update(long done) {
  if (total_ <= 1) {
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  if (terminal_) {
    const bool last = done >= total_;
    if (shown_ && !last && now - lastDraw_ < std::chrono::milliseconds(100)) {
      return;
    }
    std::fprintf(stream_, "\r%s", formatProgress(done, total_, elapsed).c_str());
  } else {
    const long tenth = done * 10 / total_;
    if (tenth == lastTenth_) {
      return;
    }
    lastTenth_ = tenth;
    std::fprintf(stream_, "%s\n", formatProgress(done, total_, elapsed).c_str());
  }
  std::fflush(stream_);
  shown_ = true;
  lastDraw_ = now;
}

void ProgressBar::finish() {
  if (terminal_ && shown_) {
    std::fputc('\n', stream_);
    std::fflush(stream_);
  }
}

}  // namespace tessaly::capture
